#include "platform/posix/pe_version.h"

#include <bit>
#include <cerrno>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plv::posix {
namespace {

static_assert(std::endian::native == std::endian::little,
              "PE fields are read in place as little-endian numbers");

constexpr std::uint16_t kDosMagic = 0x5A4D;          // "MZ"
constexpr std::uint32_t kPeSignature = 0x00004550;   // "PE\0\0"
constexpr std::uint16_t kPe32Magic = 0x10B;
constexpr std::uint16_t kPe32PlusMagic = 0x20B;
constexpr std::uint32_t kRtVersion = 16;
constexpr std::uint32_t kResourceDirectoryIndex = 2;
constexpr std::uint32_t kHighBit = 0x80000000u;
// A version block's smallest sound form: its length, value length and type.
constexpr std::uint16_t kSmallestBlock = 6;

template <typename T>
std::optional<T> ReadValue(const ByteReader &read, std::uint64_t offset) {
    T value{};
    if (!read(offset, sizeof value, &value)) return std::nullopt;
    return value;
}

// The part of a section that the file holds: what lies beyond its raw data is
// zero-filled memory in a loaded image and has no bytes to read here.
struct Section {
    std::uint32_t virtualAddress;
    std::uint32_t rawSize;
    std::uint32_t fileOffset;
};

class Image {
  public:
    explicit Image(const ByteReader &read) : read_(read) {}

    // Reads the headers; false when this is no PE image with a resource
    // directory.
    bool Open() {
        const auto dosMagic = ReadValue<std::uint16_t>(read_, 0);
        const auto peOffset = ReadValue<std::uint32_t>(read_, 0x3C);
        if (!dosMagic || *dosMagic != kDosMagic || !peOffset) return false;
        const std::uint64_t pe = *peOffset;
        const auto signature = ReadValue<std::uint32_t>(read_, pe);
        const auto sectionCount = ReadValue<std::uint16_t>(read_, pe + 6);
        const auto optionalSize = ReadValue<std::uint16_t>(read_, pe + 20);
        if (!signature || *signature != kPeSignature || !sectionCount || !optionalSize) return false;
        const std::uint64_t optional = pe + 24;
        if (!ReadResourceDirectory(optional, *optionalSize)) return false;
        if (!ReadSections(optional + *optionalSize, *sectionCount)) return false;
        resourceSection_ = SectionOf(resourceRoot_);
        return resourceSection_ != nullptr;
    }

    // Reads bytes by relative virtual address; they must all lie in the raw
    // data of one section.
    bool ReadAt(std::uint64_t address, std::size_t size, void *out) const {
        const Section *section = SectionOf(address);
        return section != nullptr && ReadIn(*section, address, size, out);
    }

    // Reads the resource directory's own structures, at an offset from its
    // root; they must lie in the section that holds the root. Looking up that
    // section once keeps a long directory from costing a section search per
    // entry.
    template <typename T>
    std::optional<T> ResourceValue(std::uint64_t offset) const {
        T value{};
        if (!ReadIn(*resourceSection_, resourceRoot_ + offset, sizeof value, &value)) {
            return std::nullopt;
        }
        return value;
    }

  private:
    const Section *SectionOf(std::uint64_t address) const {
        for (const Section &section : sections_) {
            if (address >= section.virtualAddress &&
                address - section.virtualAddress < section.rawSize) {
                return &section;
            }
        }
        return nullptr;
    }

    bool ReadIn(const Section &section, std::uint64_t address, std::size_t size, void *out) const {
        // An address below the section wraps round to one far beyond it.
        const std::uint64_t within = address - section.virtualAddress;
        if (within > section.rawSize || size > section.rawSize - within) return false;
        return read_(section.fileOffset + within, size, out);
    }

    // PE32 and PE32+ differ here only in where the data directories begin.
    bool ReadResourceDirectory(std::uint64_t optional, std::uint16_t optionalSize) {
        const auto magic = ReadValue<std::uint16_t>(read_, optional);
        if (!magic || (*magic != kPe32Magic && *magic != kPe32PlusMagic)) return false;
        const std::uint64_t countOffset = *magic == kPe32Magic ? 92 : 108;
        const std::uint64_t entryOffset = countOffset + 4 + 8 * kResourceDirectoryIndex;
        if (entryOffset + 8 > optionalSize) return false;
        const auto count = ReadValue<std::uint32_t>(read_, optional + countOffset);
        const auto address = ReadValue<std::uint32_t>(read_, optional + entryOffset);
        const auto size = ReadValue<std::uint32_t>(read_, optional + entryOffset + 4);
        if (!count || *count <= kResourceDirectoryIndex || !address || !size) return false;
        if (*address == 0 || *size == 0) return false;
        resourceRoot_ = *address;
        return true;
    }

    bool ReadSections(std::uint64_t table, std::uint16_t count) {
        for (std::uint16_t i = 0; i < count; ++i) {
            // Virtual size, virtual address, raw size, raw offset: bytes 8 to 23.
            std::uint32_t fields[4];
            if (!read_(table + 40u * i + 8, sizeof fields, fields)) return false;
            const std::uint32_t virtualSize = fields[0];
            const std::uint32_t rawSize = fields[2];
            const std::uint32_t held =
                virtualSize != 0 && virtualSize < rawSize ? virtualSize : rawSize;
            sections_.push_back({fields[1], held, fields[3]});
        }
        return true;
    }

    const ByteReader &read_;
    std::uint32_t resourceRoot_ = 0;
    std::vector<Section> sections_;
    const Section *resourceSection_ = nullptr;
};

// One entry of a resource directory: a name or id, and where it leads,
// relative to the resource root (high bit set: another directory).
struct DirectoryEntry {
    std::uint32_t name;
    std::uint32_t target;
};

class ResourceTree {
  public:
    explicit ResourceTree(const Image &image) : image_(image) {}

    bool Readable(std::uint32_t directory) const { return Counts(directory).has_value(); }

    // The entry of an id, searched among the directory's id entries, which
    // follow its named ones.
    std::optional<DirectoryEntry> FindId(std::uint32_t directory, std::uint32_t id) const {
        const auto counts = Counts(directory);
        if (!counts) return std::nullopt;
        const std::uint32_t end = std::uint32_t{counts->first} + counts->second;
        for (std::uint32_t i = counts->first; i < end; ++i) {
            const auto entry = Entry(directory, i);
            if (!entry) return std::nullopt;
            if (entry->name == id) return entry;
        }
        return std::nullopt;
    }

    // The directory's first entry, named or not.
    std::optional<DirectoryEntry> FirstEntry(std::uint32_t directory) const {
        const auto counts = Counts(directory);
        if (!counts || counts->first + counts->second == 0) return std::nullopt;
        return Entry(directory, 0);
    }

    static std::optional<std::uint32_t> Subdirectory(const DirectoryEntry &entry) {
        if ((entry.target & kHighBit) == 0) return std::nullopt;
        return entry.target & ~kHighBit;
    }

  private:
    // Named and id entry counts of the directory at `directory`.
    std::optional<std::pair<std::uint16_t, std::uint16_t>> Counts(std::uint32_t directory) const {
        const auto named = image_.ResourceValue<std::uint16_t>(std::uint64_t{directory} + 12);
        const auto ids = image_.ResourceValue<std::uint16_t>(std::uint64_t{directory} + 14);
        if (!named || !ids) return std::nullopt;
        return std::make_pair(*named, *ids);
    }

    std::optional<DirectoryEntry> Entry(std::uint32_t directory, std::uint32_t index) const {
        return image_.ResourceValue<DirectoryEntry>(std::uint64_t{directory} + 16 + 8u * index);
    }

    const Image &image_;
};

VersionResource Missing(DWORD error) { return VersionResource{error, {}}; }

// A data entry names the block by relative virtual address and size; the
// block's own length must fit in that size.
VersionResource ReadBlock(const Image &image, std::uint32_t dataEntry) {
    const auto address = image.ResourceValue<std::uint32_t>(dataEntry);
    const auto size = image.ResourceValue<std::uint32_t>(std::uint64_t{dataEntry} + 4);
    std::uint16_t length = 0;
    if (!address || !size || !image.ReadAt(*address, sizeof length, &length)) {
        return Missing(ERROR_RESOURCE_DATA_NOT_FOUND);
    }
    if (length < kSmallestBlock || length > *size) return Missing(ERROR_RESOURCE_DATA_NOT_FOUND);
    VersionResource found;
    found.bytes.resize(length);
    if (!image.ReadAt(*address, length, found.bytes.data())) {
        return Missing(ERROR_RESOURCE_DATA_NOT_FOUND);
    }
    return found;
}

DWORD ErrorOfOpening(int error) {
    switch (error) {
        case ENOENT: return ERROR_FILE_NOT_FOUND;
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP: return ERROR_PATH_NOT_FOUND;
        default: return ERROR_ACCESS_DENIED;
    }
}

bool ReadFully(int fd, std::uint64_t fileSize, std::uint64_t offset, std::size_t size, void *out) {
    if (offset > fileSize || size > fileSize - offset) return false;
    auto *bytes = static_cast<char *>(out);
    while (size > 0) {
        const ssize_t got = ::pread(fd, bytes, size, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        bytes += got;
        offset += static_cast<std::uint64_t>(got);
        size -= static_cast<std::size_t>(got);
    }
    return true;
}

}  // namespace

// The tree has three levels: type, name, language. Each step reads one fixed
// place, so a directory that points back at itself cannot loop.
VersionResource FindVersionResource(const ByteReader &read) {
    Image image(read);
    const ResourceTree tree(image);
    if (!image.Open() || !tree.Readable(0)) return Missing(ERROR_RESOURCE_DATA_NOT_FOUND);
    const auto type = tree.FindId(0, kRtVersion);
    if (!type) return Missing(ERROR_RESOURCE_TYPE_NOT_FOUND);
    const auto names = ResourceTree::Subdirectory(*type);
    const auto name = names ? tree.FirstEntry(*names) : std::nullopt;
    const auto languages = name ? ResourceTree::Subdirectory(*name) : std::nullopt;
    const auto language = languages ? tree.FirstEntry(*languages) : std::nullopt;
    if (!language || ResourceTree::Subdirectory(*language)) {
        return Missing(ERROR_RESOURCE_DATA_NOT_FOUND);
    }
    return ReadBlock(image, language->target);
}

VersionResource ReadVersionResource(const std::string &hostPath) {
    // Not blocking on open keeps a named pipe from stalling the caller; it is
    // then refused with every other file that is not a regular one.
    const int fd = ::open(hostPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return Missing(ErrorOfOpening(errno));
    struct stat facts {};
    VersionResource found = Missing(ERROR_ACCESS_DENIED);
    if (::fstat(fd, &facts) == 0 && S_ISREG(facts.st_mode)) {
        const auto fileSize = static_cast<std::uint64_t>(facts.st_size);
        found = FindVersionResource([fd, fileSize](std::uint64_t offset, std::size_t size,
                                                   void *out) {
            return ReadFully(fd, fileSize, offset, size, out);
        });
    }
    ::close(fd);
    return found;
}

}  // namespace plv::posix
