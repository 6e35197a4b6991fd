// Registry calls over the persistent store (registry_store.h). A key handle
// holds the key's path and the access it was opened with; every call reads
// the store afresh, so a change another agent made is seen at once.
#include "platform/posix/handles.h"
#include "platform/posix/posix_platform.h"
#include "platform/posix/registry_store.h"

namespace plv::posix {
namespace {

class KeyObject final : public KernelObject {
  public:
    KeyObject(std::string path, REGSAM access) : path(std::move(path)), access(access) {}
    DWORD Close() override { return ERROR_SUCCESS; }
    const std::string path;
    const REGSAM access;
};

// The path and access of a key handle or of HKEY_LOCAL_MACHINE itself.
LSTATUS Resolve(HKEY key, std::string *path, REGSAM *access) {
    if (key == HKEY_LOCAL_MACHINE) {
        path->clear();
        *access = KEY_ALL_ACCESS;
        return ERROR_SUCCESS;
    }
    std::shared_ptr<KeyObject> object = FindObjectOf<KeyObject>(reinterpret_cast<HANDLE>(key));
    if (!object) return ERROR_INVALID_HANDLE;
    *path = object->path;
    *access = object->access;
    return ERROR_SUCCESS;
}

std::string Join(const std::string &parent, LPCSTR subKey) {
    if (subKey == nullptr || *subKey == '\0') return parent;
    return parent.empty() ? std::string(subKey) : parent + "\\" + subKey;
}

HKEY NewKeyHandle(std::string path, REGSAM access) {
    return reinterpret_cast<HKEY>(AddHandle(std::make_shared<KeyObject>(std::move(path), access)));
}

// The root always exists.
bool Exists(Hive &hive, const std::string &path) { return path.empty() || hive.FindKey(path); }

}  // namespace

LSTATUS PosixPlatform::RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD, REGSAM access, PHKEY result) {
    if (result == nullptr) return ERROR_INVALID_PARAMETER;
    std::string parent;
    REGSAM parentAccess = 0;
    if (LSTATUS status = Resolve(key, &parent, &parentAccess)) return status;
    Hive hive;
    if (DWORD error = ReadHive(&hive)) return static_cast<LSTATUS>(error);
    const std::string path = Join(parent, subKey);
    if (!Exists(hive, path)) return ERROR_FILE_NOT_FOUND;
    *result = NewKeyHandle(path.empty() ? path : hive.FindKey(path)->path, access);
    return ERROR_SUCCESS;
}

LSTATUS PosixPlatform::RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD, LPSTR, DWORD, REGSAM access,
                                       const LPSECURITY_ATTRIBUTES, PHKEY result,
                                       LPDWORD disposition) {
    if (result == nullptr) return ERROR_INVALID_PARAMETER;
    std::string parent;
    REGSAM parentAccess = 0;
    if (LSTATUS status = Resolve(key, &parent, &parentAccess)) return status;
    const std::string path = Join(parent, subKey);
    bool existed = true;
    std::string stored = path;
    const DWORD error = ChangeHive([&](Hive &hive) {
        existed = Exists(hive, path);
        // A new key brings its missing parents with it.
        for (std::size_t slash = path.find('\\');; slash = path.find('\\', slash + 1)) {
            const std::string prefix = path.substr(0, slash);
            if (!prefix.empty() && !hive.FindKey(prefix)) hive.keys.push_back({prefix, {}});
            if (slash == std::string::npos) break;
        }
        if (!path.empty()) stored = hive.FindKey(path)->path;
        return !existed;
    });
    if (error) return static_cast<LSTATUS>(error);
    if (disposition) *disposition = existed ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
    *result = NewKeyHandle(stored, access);
    return ERROR_SUCCESS;
}

LSTATUS PosixPlatform::RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD, LPDWORD type,
                                        LPBYTE data, LPDWORD dataSize) {
    std::string path;
    REGSAM access = 0;
    if (LSTATUS status = Resolve(key, &path, &access)) return status;
    if ((access & KEY_QUERY_VALUE) == 0) return ERROR_ACCESS_DENIED;
    if (data != nullptr && dataSize == nullptr) return ERROR_INVALID_PARAMETER;
    Hive hive;
    if (DWORD error = ReadHive(&hive)) return static_cast<LSTATUS>(error);
    RegistryKey *found = hive.FindKey(path);
    RegistryValue *value = found ? hive.FindValue(*found, valueName ? valueName : "") : nullptr;
    if (value == nullptr) return ERROR_FILE_NOT_FOUND;
    if (type) *type = value->type;
    if (dataSize == nullptr) return ERROR_SUCCESS;
    const DWORD size = static_cast<DWORD>(value->data.size());
    const bool fits = data == nullptr || *dataSize >= size;
    if (data != nullptr && fits) value->data.copy(reinterpret_cast<char *>(data), size);
    *dataSize = size;
    return fits ? ERROR_SUCCESS : ERROR_MORE_DATA;
}

LSTATUS PosixPlatform::RegSetValueExA(HKEY key, LPCSTR valueName, DWORD, DWORD type,
                                      const BYTE *data, DWORD dataSize) {
    std::string path;
    REGSAM access = 0;
    if (LSTATUS status = Resolve(key, &path, &access)) return status;
    if ((access & KEY_SET_VALUE) == 0) return ERROR_ACCESS_DENIED;
    if (data == nullptr && dataSize != 0) return ERROR_INVALID_PARAMETER;
    RegistryValue value{valueName ? valueName : "", type,
                        dataSize ? std::string(reinterpret_cast<const char *>(data), dataSize)
                                 : std::string()};
    return static_cast<LSTATUS>(ChangeHive([&](Hive &hive) {
        RegistryKey *found = hive.FindKey(path);
        if (found == nullptr) {
            hive.keys.push_back({path, {}});
            found = &hive.keys.back();
        }
        if (RegistryValue *existing = hive.FindValue(*found, value.name)) {
            existing->type = value.type;
            existing->data = value.data;
        } else {
            found->values.push_back(value);
        }
        return true;
    }));
}

LSTATUS PosixPlatform::RegCloseKey(HKEY key) {
    if (key == HKEY_LOCAL_MACHINE) return ERROR_SUCCESS;
    HANDLE handle = reinterpret_cast<HANDLE>(key);
    if (!FindObjectOf<KeyObject>(handle)) return ERROR_INVALID_HANDLE;
    RemoveHandle(handle);
    return ERROR_SUCCESS;
}

}  // namespace plv::posix
