#include "platform/posix/registry_store.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <sstream>

#include "platform/ascii.h"
#include "platform/posix/errors.h"
#include "platform/posix/ofd_locks.h"
#include "platform/posix/own_directories.h"
#include "platform/posix/posix_platform.h"

namespace plv::posix {
namespace {

// The first line of every store; a file without it is not read.
constexpr char kHeader[] = "PLV registry 1";

// Names are written with '%', '[', ']', '=' and every byte outside printable
// ASCII as %XX, so that each line splits unambiguously.
std::string Escape(const std::string &name) {
    std::string text;
    for (unsigned char c : name) {
        if (c <= ' ' || c >= 0x7F || c == '%' || c == '[' || c == ']' || c == '=') {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", c);
            text += escaped;
        } else {
            text += static_cast<char>(c);
        }
    }
    return text;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = FoldAscii(c);
    return (c >= 'a' && c <= 'f') ? c - 'a' + 10 : -1;
}

std::optional<std::string> Unescape(const std::string &text) {
    std::string name;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            name += text[i];
            continue;
        }
        if (i + 2 >= text.size() || HexDigit(text[i + 1]) < 0 || HexDigit(text[i + 2]) < 0)
            return std::nullopt;
        name += static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2]));
        i += 2;
    }
    return name;
}

std::string Hex(const std::string &data) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (unsigned char c : data) {
        text += kDigits[c >> 4];
        text += kDigits[c & 0xF];
    }
    return text;
}

std::optional<std::string> Unhex(const std::string &text) {
    if (text.size() % 2 != 0) return std::nullopt;
    std::string data;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = HexDigit(text[i]), low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        data += static_cast<char>(high * 16 + low);
    }
    return data;
}

constexpr char kStoreDirectory[] = "registry";
constexpr char kStoreFile[] = "machine.reg";
constexpr char kLockFile[] = "machine.lock";

std::string Directory() { return DataDirectory() + "/" + kStoreDirectory; }

// The store's directory below the data directory, both own directories
// (own_directories.h); without `make`, a missing one is no failure.
OwnDirectory OpenStoreDirectory(bool make) {
    OwnDirectory data = OpenOwnDirectory(DataDirectory(), make);
    if (data.fd() < 0) return data;
    return OpenOwnDirectory(data.fd(), kStoreDirectory, Directory(), make);
}

DWORD WriteStore(const OwnDirectory &directory, const std::string &text) {
    const std::string store = RegistryStorePath();
    const std::string temporaryName =
        std::string(kStoreFile) + ".new." + std::to_string(::getpid());
    const std::string temporary = Directory() + "/" + temporaryName;
    const int fd = ::openat(directory.fd(), temporaryName.c_str(),
                            O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return Win32ErrorOf(errno, {FileOperation::Open, temporary});
    int error = 0;
    for (std::size_t done = 0; done < text.size() && error == 0;) {
        const ssize_t count = ::write(fd, text.data() + done, text.size() - done);
        if (count > 0) done += static_cast<std::size_t>(count);
        else if (count == 0) error = ENOSPC;
        else if (errno != EINTR) error = errno;
    }
    // The new store must be on disk before it replaces the old one.
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    ::close(fd);
    if (error == 0 &&
        ::renameat(directory.fd(), temporaryName.c_str(), directory.fd(), kStoreFile) != 0)
        error = errno;
    if (error != 0) {
        ::unlinkat(directory.fd(), temporaryName.c_str(), 0);
        return Win32ErrorOf(error, {FileOperation::Write, store});
    }
    ::fsync(directory.fd());
    return ERROR_SUCCESS;
}

// The store in an opened store directory; a missing store is an empty hive.
DWORD ReadStore(const OwnDirectory &directory, Hive *hive) {
    *hive = Hive{};
    const std::string store = RegistryStorePath();
    const int fd = ::openat(directory.fd(), kStoreFile, O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return errno == ENOENT ? ERROR_SUCCESS : Win32ErrorOf(errno, {FileOperation::Read, store});
    std::string text;
    char block[4096];
    int error = 0;
    for (;;) {
        const ssize_t count = ::read(fd, block, sizeof block);
        if (count > 0)
            text.append(block, static_cast<std::size_t>(count));
        else if (count == 0)
            break;
        else if (errno != EINTR) {
            error = errno;
            break;
        }
    }
    ::close(fd);
    if (error != 0) return Win32ErrorOf(error, {FileOperation::Read, store});
    *hive = ParseHive(text);
    return ERROR_SUCCESS;
}

}  // namespace

RegistryKey *Hive::FindKey(const std::string &path) {
    auto found = std::find_if(keys.begin(), keys.end(),
                              [&](const RegistryKey &key) { return EqualNoCase(key.path, path); });
    return found == keys.end() ? nullptr : &*found;
}

RegistryValue *Hive::FindValue(RegistryKey &key, const std::string &name) {
    auto found = std::find_if(key.values.begin(), key.values.end(),
                              [&](const RegistryValue &value) { return EqualNoCase(value.name, name); });
    return found == key.values.end() ? nullptr : &*found;
}

std::string RegistryStorePath() { return Directory() + "/" + kStoreFile; }

// [escaped key path]
// escaped value name=type:hex data
std::string FormatHive(const Hive &hive) {
    std::string text = std::string(kHeader) + "\n";
    for (const RegistryKey &key : hive.keys) {
        text += "[" + Escape(key.path) + "]\n";
        for (const RegistryValue &value : key.values)
            text += Escape(value.name) + "=" + std::to_string(value.type) + ":" + Hex(value.data) + "\n";
    }
    return text;
}

// Lines that do not parse are passed over: one damaged line costs one value.
Hive ParseHive(const std::string &text) {
    Hive hive;
    std::istringstream lines(text);
    std::string line;
    if (!std::getline(lines, line) || line != kHeader) return hive;
    RegistryKey *key = nullptr;
    while (std::getline(lines, line)) {
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            auto path = Unescape(line.substr(1, line.size() - 2));
            key = nullptr;
            if (!path) continue;
            if (!(key = hive.FindKey(*path))) {
                hive.keys.push_back({*path, {}});
                key = &hive.keys.back();
            }
            continue;
        }
        const auto equals = line.find('=');
        const auto colon = line.find(':', equals == std::string::npos ? 0 : equals);
        if (key == nullptr || equals == std::string::npos || colon == std::string::npos) continue;
        auto name = Unescape(line.substr(0, equals));
        auto data = Unhex(line.substr(colon + 1));
        const std::string type = line.substr(equals + 1, colon - equals - 1);
        if (!name || !data || type.empty() || type.find_first_not_of("0123456789") != std::string::npos)
            continue;
        RegistryValue value{*name, static_cast<DWORD>(std::stoul(type)), *data};
        if (RegistryValue *existing = hive.FindValue(*key, *name)) *existing = value;
        else key->values.push_back(value);
    }
    return hive;
}

DWORD ReadHive(Hive *hive) {
    *hive = Hive{};
    const OwnDirectory directory = OpenStoreDirectory(false);
    if (directory.error() == ERROR_PATH_NOT_FOUND) return ERROR_SUCCESS;  // nothing stored yet
    if (directory.error() != ERROR_SUCCESS) return directory.error();
    return ReadStore(directory, hive);
}

DWORD ChangeHive(const std::function<bool(Hive &)> &change) {
    const OwnDirectory directory = OpenStoreDirectory(true);
    if (directory.error() != ERROR_SUCCESS) return directory.error();
    const int lock =
        ::openat(directory.fd(), kLockFile, O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lock < 0) return Win32ErrorOf(errno, {FileOperation::Open, Directory() + "/" + kLockFile});
    DWORD result = ERROR_SUCCESS;
    if (int error = WaitLock(lock, F_WRLCK, 0, 1)) {
        result = Win32ErrorOf(error, {FileOperation::Lock, Directory() + "/" + kLockFile});
    } else {
        Hive hive;
        result = ReadStore(directory, &hive);
        if (result == ERROR_SUCCESS && change(hive))
            result = WriteStore(directory, FormatHive(hive));
    }
    ::close(lock);  // lets the next writer in
    return result;
}

std::string PrepareDataDirectory() {
    const OwnDirectory data = OpenOwnDirectory(DataDirectory(), true);
    if (data.fd() < 0) return "the data directory " + data.why();
    const OwnDirectory store = OpenOwnDirectory(data.fd(), kStoreDirectory, Directory(), true);
    return store.fd() < 0 ? "the registry store's directory " + store.why() : std::string();
}

}  // namespace plv::posix
