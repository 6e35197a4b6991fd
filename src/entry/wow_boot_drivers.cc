#include "entry/wow_boot_drivers.h"

#include <string>
#include <string_view>
#include <vector>

#include "core/library_state.h"
#include "platform/ascii.h"
#include "platform/platform.h"
#include "plvlib32.h"

namespace plv {
namespace {

constexpr char kWowBootKey[] = "Software\\Microsoft\\Windows NT\\CurrentVersion\\WOW\\boot";
constexpr char kDriversValue[] = "drivers";
constexpr char kOurDriver[] = "PLVNTS16.DLL";
constexpr REGSAM kQueryAndSet = KEY_QUERY_VALUE | KEY_SET_VALUE;

// The value whole, however long: a cut read would lose the drivers beyond it.
// ERROR_FILE_NOT_FOUND when there is no value yet.
LSTATUS ReadDrivers(HKEY key, std::string *drivers) {
    DWORD size = 0;
    LSTATUS status = Os().RegQueryValueExA(key, kDriversValue, nullptr, nullptr, nullptr, &size);
    if (status != ERROR_SUCCESS) return status;
    std::vector<char> value(size + 1, '\0');
    status = Os().RegQueryValueExA(key, kDriversValue, nullptr, nullptr,
                                   reinterpret_cast<LPBYTE>(value.data()), &size);
    if (status == ERROR_SUCCESS) *drivers = value.data();
    return status;
}

// The comma-separated pieces that do not name our driver, joined again with
// commas; a trailing comma ends the list.
std::string OtherDrivers(std::string_view drivers) {
    std::string kept;
    bool first = true;
    std::string_view rest = drivers;
    do {
        const std::size_t comma = rest.find(',');
        const std::string piece(rest.substr(0, comma));
        rest = comma == std::string_view::npos ? std::string_view{} : rest.substr(comma + 1);
        if (stristr(piece.c_str(), kOurDriver) != nullptr) continue;
        if (!first) kept += ',';
        kept += piece;
        first = false;
    } while (!rest.empty());
    return kept;
}

void LowerAscii(std::string *text) {
    for (char &c : *text) c = FoldAscii(c);
}

HKEY OpenBootKey(bool create) {
    HKEY key = nullptr;
    const LSTATUS status =
        create ? Os().RegCreateKeyExA(HKEY_LOCAL_MACHINE, kWowBootKey, 0, nullptr, 0,
                                      kQueryAndSet, nullptr, &key, nullptr)
               : Os().RegOpenKeyExA(HKEY_LOCAL_MACHINE, kWowBootKey, 0, kQueryAndSet, &key);
    return status == ERROR_SUCCESS ? key : nullptr;
}

}  // namespace

bool RewriteWowBootDrivers(bool addOurs) {
    HKEY key = OpenBootKey(addOurs);
    if (key == nullptr) return false;

    std::string current;
    const LSTATUS read = ReadDrivers(key, &current);
    // Only a missing value may be written from nothing: a value that exists
    // but cannot be read holds drivers that must not be lost.
    const bool rewrite = read == ERROR_SUCCESS || (addOurs && read == ERROR_FILE_NOT_FOUND);
    bool written = false;
    if (rewrite) {
        std::string drivers = read == ERROR_SUCCESS ? OtherDrivers(current) : std::string{};
        if (addOurs) {
            if (!drivers.empty()) drivers += ',';
            drivers += std::string(Agent().agentDirectory) + "\\" + kOurDriver;
            LowerAscii(&drivers);
        }
        written = Os().RegSetValueExA(key, kDriversValue, 0, REG_SZ,
                                      reinterpret_cast<const BYTE *>(drivers.c_str()),
                                      static_cast<DWORD>(drivers.size() + 1)) == ERROR_SUCCESS;
    }
    Os().RegCloseKey(key);
    return written;
}

}  // namespace plv
