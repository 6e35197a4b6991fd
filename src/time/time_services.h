// Network time sources: the clock file and the time services of LAN Manager,
// NetWare and VINES, bound from the network module the host loaded.
#pragma once

#include <cstdint>

#include "platform/win32_api.h"
#include "plvlib32.h"

namespace plv {

enum NetworkKind : std::uint8_t {
    kNetworkNone = 1,
    kNetworkLanManager = 2,
    kNetworkNetWare = 3,
    kNetworkNetWare4 = 4,
    kNetworkVines = 5,
    kNetworkLanManagerNT = 6,
    kNetworkLanServer = 7,
};

struct TimeServiceState {
    std::uint8_t networkKind = kNetworkNone;
    HMODULE module = nullptr;
    FARPROC netRemoteTod = nullptr;
    FARPROC netApiBufferFree = nullptr;
    FARPROC nwGetFileServerDateAndTime = nullptr;
    FARPROC vnsSetPortNull = nullptr;
    FARPROC vnsFindSvc = nullptr;
    FARPROC vnsStartStSession = nullptr;
    FARPROC vnsGetLocalTime = nullptr;
    FARPROC vnsEndStSession = nullptr;
    FARPROC vnsDone = nullptr;
    std::uint32_t netWareConnection = 0;
};

void ResetTimeServiceState();

// Asks the configured source; date and time hold the workstation's on entry
// and the source's answer on true. False when nothing was asked or the
// question failed.
bool AskTimeSource(WSDate *date, WSTime *time);

}  // namespace plv
