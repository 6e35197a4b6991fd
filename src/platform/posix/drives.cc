#include "platform/posix/drives.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/posix/paths.h"
#include "platform/posix/posix_platform.h"

namespace plv::posix {
namespace {

// File system magic numbers (statfs f_type), as the kernel defines them.
struct Kind {
    unsigned long magic;
    UINT driveType;
};
constexpr Kind kKinds[] = {
    {0x6969, DRIVE_REMOTE},        // NFS
    {0x517B, DRIVE_REMOTE},        // SMB
    {0xFF534D42, DRIVE_REMOTE},    // CIFS
    {0xFE534D42, DRIVE_REMOTE},    // SMB2
    {0x73757245, DRIVE_REMOTE},    // Coda
    {0x564C, DRIVE_REMOTE},        // NCP
    {0x5346414F, DRIVE_REMOTE},    // AFS
    {0x6B414653, DRIVE_REMOTE},    // kAFS
    {0x00C36400, DRIVE_REMOTE},    // Ceph
    {0x01021997, DRIVE_REMOTE},    // 9P
    {0x01161970, DRIVE_REMOTE},    // GFS2
    {0x7461636F, DRIVE_REMOTE},    // OCFS2
    {0x0BD00BD0, DRIVE_REMOTE},    // Lustre
    {0x47504653, DRIVE_REMOTE},    // GPFS
    {0x20030528, DRIVE_REMOTE},    // OrangeFS
    {0x01021994, DRIVE_RAMDISK},   // tmpfs
    {0x858458F6, DRIVE_RAMDISK},   // ramfs
    {0x00009660, DRIVE_CDROM},     // ISO 9660
    {0x15013346, DRIVE_CDROM},     // UDF
};
constexpr unsigned long kFuseMagic = 0x65735546;

// FUSE file systems that reach another machine, by their mount type.
constexpr const char *kNetworkFuseTypes[] = {
    "fuse.sshfs",     "fuse.rclone",    "fuse.s3fs",  "fuse.gcsfuse",    "fuse.davfs",
    "fuse.curlftpfs", "fuse.glusterfs", "fuse.ceph-fuse", "fuse.smbnetfs", "fuse.gvfsd-fuse",
};

// The mount type of the file system with the given device, from the
// process's mount table ("fuse.sshfs" and the like).
std::string MountTypeOf(dev_t device) {
    std::ifstream table("/proc/self/mountinfo");
    const std::string wanted = std::to_string(major(device)) + ":" + std::to_string(minor(device));
    std::string line;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string id, parent, numbers;
        fields >> id >> parent >> numbers;
        if (numbers != wanted) continue;
        const auto separator = line.find(" - ");
        if (separator == std::string::npos) continue;
        std::istringstream rest(line.substr(separator + 3));
        std::string type;
        rest >> type;
        return type;
    }
    return {};
}

bool ReadsOne(const std::string &path) {
    std::ifstream file(path);
    char first = '0';
    return file.get(first) && first == '1';
}

// A block device, or the disk a partition belongs to, that the kernel
// marks as removable.
bool IsRemovableDevice(dev_t device) {
    if (major(device) == 0) return false;  // no block device behind it
    const std::string node =
        "/sys/dev/block/" + std::to_string(major(device)) + ":" + std::to_string(minor(device));
    if (ReadsOne(node + "/removable")) return true;
    char resolved[PATH_MAX];
    if (::realpath(node.c_str(), resolved) == nullptr) return false;
    return ReadsOne(std::string(resolved) + "/../removable");
}

}  // namespace

UINT DriveTypeOf(const struct statfs &fileSystem, dev_t device) {
    const auto magic = static_cast<unsigned long>(fileSystem.f_type) & 0xFFFFFFFFul;
    for (const Kind &kind : kKinds) {
        if (kind.magic == magic) return kind.driveType;
    }
    if (magic == kFuseMagic) {
        const std::string type = MountTypeOf(device);
        for (const char *network : kNetworkFuseTypes)
            if (type == network) return DRIVE_REMOTE;
    }
    return IsRemovableDevice(device) ? DRIVE_REMOVABLE : DRIVE_FIXED;
}

bool IsRemote(int fd) {
    struct statfs fileSystem;
    struct stat status;
    if (::fstatfs(fd, &fileSystem) != 0 || ::fstat(fd, &status) != 0) return false;
    return DriveTypeOf(fileSystem, status.st_dev) == DRIVE_REMOTE;
}

// A null root asks about the drive of the working directory.
UINT PosixPlatform::GetDriveTypeA(LPCSTR rootPath) {
    std::string root = ".";
    if (rootPath != nullptr && HostRootOf(rootPath, &root) != ERROR_SUCCESS) return DRIVE_NO_ROOT_DIR;
    struct statfs fileSystem;
    struct stat status;
    if (::stat(root.c_str(), &status) != 0 || !S_ISDIR(status.st_mode) ||
        ::statfs(root.c_str(), &fileSystem) != 0)
        return DRIVE_NO_ROOT_DIR;
    return DriveTypeOf(fileSystem, status.st_dev);
}

}  // namespace plv::posix
