// The registry below HKEY_LOCAL_MACHINE as a tree of paths the test sets and
// reads, with faults injected per key and operation.
#include <cstring>

#include "support/fake_platform.h"

namespace plv::testing {
namespace {

std::string Join(const std::string &parent, LPCSTR subKey) {
    if (subKey == nullptr || *subKey == '\0') return parent;
    return parent.empty() ? std::string(subKey) : parent + "\\" + subKey;
}

}  // namespace

void FakePlatform::SetRegistryString(const std::string &key, const std::string &name,
                                     const std::string &text) {
    RegistryValue value{REG_SZ, text};
    value.data.push_back('\0');
    registry.keys[key][name] = value;
}

const FakePlatform::RegistryValue *FakePlatform::FindRegistryValue(const std::string &key,
                                                                   const std::string &name) const {
    auto found = registry.keys.find(key);
    if (found == registry.keys.end()) return nullptr;
    auto value = found->second.find(name);
    return value == found->second.end() ? nullptr : &value->second;
}

LSTATUS FakePlatform::FindKey(HKEY key, std::string *path, REGSAM *access) {
    if (key == HKEY_LOCAL_MACHINE) {
        path->clear();
        *access = KEY_ALL_ACCESS;
        return ERROR_SUCCESS;
    }
    auto found = keyHandles_.find(key);
    if (found == keyHandles_.end()) return ERROR_INVALID_HANDLE;
    *path = found->second.path;
    *access = found->second.access;
    return ERROR_SUCCESS;
}

// The key and sub-key's path, journalled as `verb`: an error when the key
// names nothing or a fault is scripted for the path.
LSTATUS FakePlatform::KeyPath(HKEY key, LPCSTR subKey, const char *verb,
                              std::map<std::string, Fault, NoCaseLess> &faults, std::string *path) {
    std::string parent;
    REGSAM access = 0;
    if (LSTATUS status = FindKey(key, &parent, &access)) return status;
    *path = Join(parent, subKey);
    registry.journal.push_back(verb + *path);
    auto fault = faults.find(*path);
    return fault != faults.end() && Hit(&fault->second) ? static_cast<LSTATUS>(fault->second.error)
                                                        : ERROR_SUCCESS;
}

LSTATUS FakePlatform::RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD, REGSAM access, PHKEY result) {
    std::string path;
    if (LSTATUS status = KeyPath(key, subKey, "open ", registry.openFaults, &path)) return status;
    if (registry.keys.count(path) == 0) return ERROR_FILE_NOT_FOUND;
    *result = reinterpret_cast<HKEY>(NewHandle());
    keyHandles_[*result] = OpenKey{path, access};
    return ERROR_SUCCESS;
}

LSTATUS FakePlatform::RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD, LPSTR, DWORD, REGSAM access,
                                      const LPSECURITY_ATTRIBUTES, PHKEY result,
                                      LPDWORD disposition) {
    std::string path;
    if (LSTATUS status = KeyPath(key, subKey, "create ", registry.createFaults, &path))
        return status;
    const bool existed = registry.keys.count(path) != 0;
    // A new key brings its missing parents with it.
    for (std::size_t slash = path.find('\\'); slash != std::string::npos;
         slash = path.find('\\', slash + 1))
        registry.keys[path.substr(0, slash)];
    registry.keys[path];
    if (disposition) *disposition = existed ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
    *result = reinterpret_cast<HKEY>(NewHandle());
    keyHandles_[*result] = OpenKey{path, access};
    return ERROR_SUCCESS;
}

LSTATUS FakePlatform::RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD, LPDWORD type,
                                       LPBYTE data, LPDWORD dataSize) {
    std::string path;
    REGSAM access = 0;
    if (LSTATUS status = FindKey(key, &path, &access)) return status;
    const std::string name = valueName ? valueName : "";
    registry.journal.push_back("query " + path + "\\" + name);
    if ((access & KEY_QUERY_VALUE) == 0) return ERROR_ACCESS_DENIED;
    if (data != nullptr && dataSize == nullptr) return ERROR_INVALID_PARAMETER;
    auto fault = registry.queryFaults.find(path);
    if (fault != registry.queryFaults.end() && Hit(&fault->second))
        return static_cast<LSTATUS>(fault->second.error);
    const RegistryValue *value = FindRegistryValue(path, name);
    if (value == nullptr) return ERROR_FILE_NOT_FOUND;
    if (type) *type = value->type;
    if (dataSize == nullptr) return ERROR_SUCCESS;
    const DWORD size = static_cast<DWORD>(value->data.size());
    const bool fits = data == nullptr || *dataSize >= size;
    if (data != nullptr && fits) std::memcpy(data, value->data.data(), size);
    *dataSize = size;
    return fits ? ERROR_SUCCESS : ERROR_MORE_DATA;
}

LSTATUS FakePlatform::RegSetValueExA(HKEY key, LPCSTR valueName, DWORD, DWORD type,
                                     const BYTE *data, DWORD dataSize) {
    std::string path;
    REGSAM access = 0;
    if (LSTATUS status = FindKey(key, &path, &access)) return status;
    const std::string name = valueName ? valueName : "";
    registry.journal.push_back("set " + path + "\\" + name);
    if ((access & KEY_SET_VALUE) == 0) return ERROR_ACCESS_DENIED;
    if (data == nullptr && dataSize != 0) return ERROR_INVALID_PARAMETER;
    auto fault = registry.setFaults.find(path);
    if (fault != registry.setFaults.end() && Hit(&fault->second))
        return static_cast<LSTATUS>(fault->second.error);
    registry.keys[path][name] = RegistryValue{
        type, dataSize ? std::string(reinterpret_cast<const char *>(data), dataSize) : std::string()};
    return ERROR_SUCCESS;
}

LSTATUS FakePlatform::RegCloseKey(HKEY key) {
    if (key == HKEY_LOCAL_MACHINE) return ERROR_SUCCESS;
    auto found = keyHandles_.find(key);
    if (found == keyHandles_.end()) return ERROR_INVALID_HANDLE;
    registry.journal.push_back("close " + found->second.path);
    keyHandles_.erase(found);
    return ERROR_SUCCESS;
}

}  // namespace plv::testing
