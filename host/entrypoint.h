// What a module exports to the host, and the messages the host sends it.
#pragma once

#include <cstdint>

namespace QxRx {
enum AppMsgCode : int {
    kNullMsg = 0,
    kInitAppMsg = 1,    // after loading: the module registers its commands
    kUnloadAppMsg = 2,  // before unloading: the module withdraws them
    kLoadDwgMsg = 3,
    kUnloadDwgMsg = 4,
    kInvkSubrMsg = 5,
    kCfgMsg = 6,
    kEndMsg = 7,
    kQuitMsg = 8,
};
enum AppRetCode : int { kRetOK = 0, kRetError = 3 };
}  // namespace QxRx

// The interface version: the release year in the upper 16 bits. A host refuses a module whose
// upper 16 bits differ from its own.
inline constexpr std::uint32_t QXRX_API_VERSION = 0x07E20000;

extern "C" {
typedef QxRx::AppRetCode (*QxRxEntryPointFn)(QxRx::AppMsgCode message, void* appPacket);
typedef std::uint32_t (*QxRxApiVersionFn)();
}

#define QXRX_ENTRY_POINT_NAME "qxrxEntryPoint"
#define QXRX_API_VERSION_NAME "qxrxGetApiVersion"
