#include "time/time_services.h"

#include <chrono>
#include <cstring>

#include "core/library_state.h"
#include "platform/entry_point.h"
#include "platform/platform.h"

namespace plv {
namespace {

TimeServiceState services;

// Entry points of the network module, as its services define them.
using NetRemoteTod95 = DWORD(WINAPI *)(const char *server, char *buffer, unsigned short size);
using NetRemoteTodNT = DWORD(WINAPI *)(LPCWSTR server, BYTE **buffer);
using NetApiBufferFree = DWORD(WINAPI *)(LPVOID buffer);
using NWGetFileServerDateAndTime = WORD(WINAPI *)(DWORD connection, BYTE *buffer);
using VnsStartStSession = WORD(WINAPI *)(DWORD, DWORD, DWORD, BYTE *session);
using VnsSetPortNull = void(WINAPI *)(BYTE *port);
using VnsFindSvc = WORD(WINAPI *)(DWORD, BYTE *port, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD,
                                  DWORD, DWORD, DWORD, DWORD, DWORD, DWORD);
using VnsGetLocalTime = WORD(WINAPI *)(BYTE *session, BYTE *port, WORD *time);
using VnsEndStSession = WORD(WINAPI *)(BYTE *session);
using VnsDone = void(WINAPI *)();
using UnloadTrueDll = void(WINAPI *)();

// Binds every named entry point; false when one is missing.
bool Bind(std::initializer_list<std::pair<FARPROC *, const char *>> entries) {
    bool all = true;
    for (const auto &[slot, name] : entries) {
        *slot = Os().GetProcAddress(services.module, name);
        if (*slot == nullptr) all = false;
    }
    return all;
}

void Forget() {
    const std::uint8_t kind = services.networkKind;
    services = TimeServiceState{};
    services.networkKind = kind;
}

bool IsLanManager(std::uint8_t kind) {
    return kind == kNetworkLanManager || kind == kNetworkLanManagerNT || kind == kNetworkLanServer;
}

bool IsNetWare(std::uint8_t kind) { return kind == kNetworkNetWare || kind == kNetworkNetWare4; }

std::uint32_t Dword(const BYTE *at) {
    std::uint32_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

// The clock file counts only while another process holds its liveness byte.
bool ReadClockFile(HANDLE file, WSDate *date, WSTime *time) {
    if (file == nullptr) return false;
    if (PLVLock(file, 2, 7, 1) == 0) {
        PLVLock(file, 0, 7, 1);
        return false;
    }
    signed char bytes[7];
    DWORD read = 0;
    if (Os().SetFilePointer(file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER ||
        !Os().ReadFile(file, bytes, sizeof bytes, &read, nullptr) || read < sizeof bytes) {
        return false;
    }
    date->year = static_cast<std::uint16_t>(bytes[0] * 100 + bytes[1]);
    date->month = static_cast<std::uint8_t>(bytes[2]);
    date->day = static_cast<std::uint8_t>(bytes[3]);
    time->hour = static_cast<std::uint8_t>(bytes[4]);
    time->minute = static_cast<std::uint8_t>(bytes[5]);
    time->second = static_cast<std::uint8_t>(bytes[6]);
    return true;
}

bool AskLanManager(WSDate *date, WSTime *time) {
    const char *server = Runtime().timeServerName;
    if (services.module == nullptr || server[0] == '\0') return false;
    if (core.platformCode == kPlatformWindows95) {
        BYTE tod[22] = {};
        if (EntryPoint<NetRemoteTod95>(services.netRemoteTod)(server, reinterpret_cast<char *>(tod),
                                                      sizeof tod) != 0) {
            return false;
        }
        time->hour = tod[8];
        time->minute = tod[9];
        time->second = tod[10];
        date->day = tod[16];
        date->month = tod[17];
        date->year = static_cast<std::uint16_t>(tod[18] | (tod[19] << 8));
        return true;
    }
    WCHAR wideServer[96] = {};
    Os().MultiByteToWideChar(CP_ACP, 0, server, -1, wideServer, 96);
    wideServer[95] = 0;
    BYTE *tod = nullptr;
    if (EntryPoint<NetRemoteTodNT>(services.netRemoteTod)(wideServer, &tod) != 0) return false;
    // Elapsed seconds since 1970 (UTC), corrected by the minutes west of UTC.
    const auto zoneMinutes = static_cast<std::int32_t>(Dword(tod + 24));
    const std::int64_t local = std::int64_t{Dword(tod)} - 60 * std::int64_t{zoneMinutes};
    EntryPoint<NetApiBufferFree>(services.netApiBufferFree)(tod);

    using namespace std::chrono;
    const sys_seconds moment{seconds{local}};
    const sys_days day = floor<days>(moment);
    const year_month_day ymd{day};
    const hh_mm_ss<seconds> clock{moment - day};
    date->year = static_cast<std::uint16_t>(static_cast<int>(ymd.year()));
    date->month = static_cast<std::uint8_t>(static_cast<unsigned>(ymd.month()));
    date->day = static_cast<std::uint8_t>(static_cast<unsigned>(ymd.day()));
    time->hour = static_cast<std::uint8_t>(clock.hours().count());
    time->minute = static_cast<std::uint8_t>(clock.minutes().count());
    time->second = static_cast<std::uint8_t>(clock.seconds().count());
    return true;
}

bool AskNetWare(WSDate *date, WSTime *time) {
    if (services.module == nullptr) return false;
    BYTE answer[7] = {};
    if (EntryPoint<NWGetFileServerDateAndTime>(services.nwGetFileServerDateAndTime)(
            services.netWareConnection, answer) != 0) {
        return false;
    }
    date->year = static_cast<std::uint16_t>(1900 + answer[0]);
    date->month = answer[1];
    date->day = answer[2];
    time->hour = answer[3];
    time->minute = answer[4];
    time->second = answer[5];
    return true;
}

bool AskVines(WSDate *date, WSTime *time) {
    if (services.module == nullptr) return false;
    BYTE session[32] = {};
    BYTE port[16] = {};
    if (EntryPoint<VnsStartStSession>(services.vnsStartStSession)(0, 1, 0, session) != 0) return false;
    EntryPoint<VnsSetPortNull>(services.vnsSetPortNull)(port);
    if (EntryPoint<VnsFindSvc>(services.vnsFindSvc)(7, port, 1, 4, 41100, 69999, 0, 0, 0, 0, 0, 0, 0, 0) != 0) {
        port[0] = 0;
    }
    WORD answer[12] = {};
    const WORD result = EntryPoint<VnsGetLocalTime>(services.vnsGetLocalTime)(session, port, answer);
    // Every question ends the session it started, or each one would leak a session.
    EntryPoint<VnsEndStSession>(services.vnsEndStSession)(session);
    if (result != 0) return false;
    time->second = static_cast<std::uint8_t>(answer[0]);
    time->minute = static_cast<std::uint8_t>(answer[1]);
    time->hour = static_cast<std::uint8_t>(answer[2]);
    date->day = static_cast<std::uint8_t>(answer[3]);
    date->month = static_cast<std::uint8_t>(answer[4]);
    date->year = answer[5];
    return true;
}

}  // namespace

void ResetTimeServiceState() { services = TimeServiceState{}; }

bool AskTimeSource(WSDate *date, WSTime *time) {
    // Work on copies so a failed question leaves the workstation values.
    WSDate answerDate = *date;
    WSTime answerTime = *time;
    bool answered = false;
    if (OptionSet(PLV_OPT_CLOCK_FILE)) {
        answered = ReadClockFile(Agent().clockFile, &answerDate, &answerTime);
    } else if (IsLanManager(services.networkKind)) {
        answered = AskLanManager(&answerDate, &answerTime);
    } else if (IsNetWare(services.networkKind)) {
        answered = AskNetWare(&answerDate, &answerTime);
    } else if (services.networkKind == kNetworkVines) {
        answered = AskVines(&answerDate, &answerTime);
    }
    if (answered) {
        *date = answerDate;
        *time = answerTime;
    }
    return answered;
}

}  // namespace plv

using namespace plv;

extern "C" PLV_EXPORT uint8_t PLVAPI InitializeNetworkAPI(uint8_t networkKind) {
    HMODULE module = static_cast<HMODULE>(Runtime().networkModule);
    if (module == nullptr) return 0;
    services.networkKind = networkKind;
    services.module = module;

    bool bound = false;
    if (IsLanManager(networkKind)) {
        bound = Bind({{&services.netRemoteTod, "NetRemoteTOD"},
                      {&services.netApiBufferFree, "NetApiBufferFree"}});
    } else if (IsNetWare(networkKind)) {
        services.netWareConnection = Runtime().netWareConnection;
        bound = Bind({{&services.nwGetFileServerDateAndTime, "NWGetFileServerDateAndTime"}});
    } else if (networkKind == kNetworkVines) {
        bound = Bind({{&services.vnsSetPortNull, "VnsSetPortNull"},
                      {&services.vnsFindSvc, "VnsFindSvc"},
                      {&services.vnsStartStSession, "VnsStartStSession"},
                      {&services.vnsGetLocalTime, "VnsGetLocalTime"},
                      {&services.vnsEndStSession, "VnsEndStSession"},
                      {&services.vnsDone, "VnsDone"}});
    } else {
        return 0;  // no time interface; the module stays held until terminated
    }
    if (!bound) {
        Os().FreeLibrary(services.module);
        Forget();
        return 0;
    }
    return 1;
}

extern "C" PLV_EXPORT void PLVAPI TerminateNetworkAPI(void) {
    if (services.networkKind == kNetworkVines && services.module != nullptr) {
        EntryPoint<VnsDone>(services.vnsDone)();
    }
    if (services.module != nullptr) {
        if (FARPROC unload = Os().GetProcAddress(services.module, "UnloadTrueDLL")) {
            EntryPoint<UnloadTrueDll>(unload)();
        }
        Os().FreeLibrary(services.module);
        Forget();
    }
}

extern "C" PLV_EXPORT PLVHANDLE PLVAPI OpenClockFile(const char *path) {
    HANDLE file = Os().CreateFileA(path, GENERIC_READ | GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    return file == INVALID_HANDLE_VALUE ? nullptr : file;
}

extern "C" PLV_EXPORT uint16_t PLVAPI PLVLock(PLVHANDLE file, uint16_t operation, uint32_t offset,
                                              uint32_t length) {
    BOOL done;
    if (operation == 2) {
        done = Os().LockFile(file, offset, 0, length, 0);
    } else if (operation == 0) {
        done = Os().UnlockFile(file, offset, 0, length, 0);
    } else {
        return ERROR_INVALID_PARAMETER;
    }
    return done ? 0 : static_cast<uint16_t>(Os().GetLastError());
}
