// The registry below HKEY_LOCAL_MACHINE, kept in one text file under the
// agent's data directory (own directories both: own_directories.h). Every
// change locks the store, reads it afresh, writes a new file and renames it
// over the old one: a crash leaves the old store or the new one, never a
// torn one, and two agents writing at once each see the other's changes.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/win32_api.h"

namespace plv::posix {

struct RegistryValue {
    std::string name;
    DWORD type = REG_NONE;
    std::string data;
};

struct RegistryKey {
    std::string path;  // "Software\Valdrin Systems Corp.\Pelvantine"; "" is the root
    std::vector<RegistryValue> values;
};

struct Hive {
    std::vector<RegistryKey> keys;
    // Keys and value names are found without regard to case.
    RegistryKey *FindKey(const std::string &path);
    RegistryValue *FindValue(RegistryKey &key, const std::string &name);
};

// The store's file: the data directory, "registry", "machine.reg".
std::string RegistryStorePath();

// The store as it is now; a missing store is an empty hive. 0 or Win32 code.
DWORD ReadHive(Hive *hive);

// Runs `change` on the current store under the store's lock and, when it
// answers true, writes the result back. 0 or the Win32 code.
DWORD ChangeHive(const std::function<bool(Hive &)> &change);

// The text form of a hive and back.
std::string FormatHive(const Hive &hive);
Hive ParseHive(const std::string &text);

}  // namespace plv::posix
