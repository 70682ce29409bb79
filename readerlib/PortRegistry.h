#pragma once

#include "BaudRates.h"
#include "CardChannel.h"
#include "SerialFrames.h"
#include "SerialPort.h"
#include "zqcom.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

// The ports' side for the readers' commands: reaching an open port by its handle.
namespace zqcom_internal {

// An opened port's line; a default outside the rate or frame list does not compile.
inline constexpr platform::LineSettings kDefaultLine{
    findBaudRate(ZQCOM_DEFAULT_BAUD)->rate, 8, findSerialFrame(ZQCOM_DEFAULT_FRAME)->parity, 1};

// What the port library keeps for an open port; a fresh port has these values.
struct PortParameters {
    int portNumber = 0;
    platform::LineSettings line = kDefaultLine;
    int timeOutMs = ZQCOM_DEFAULT_TIMEOUT;
    bool txTimeControl = ZQCOM_DEFAULT_TX_TIME_CONTROL != 0;
    int txDelayMs = ZQCOM_DEFAULT_TX_DELAY_TIME;
    // The PC/SC reader's name; empty for a serial port.
    std::string readerName;
};

// When the reader library last saw a byte on the port's line, sent or received: what its quiet
// time before a request counts from. A fresh port's line counts as long quiet.
struct LineActivity {
    std::chrono::steady_clock::time_point lastByte{};
};

// How often the port's waits have been cancelled; counted up from any thread without holding the
// port, so a wait that began under an older count knows it is to end.
using CancelCount = std::atomic<std::uint32_t>;

using PortAccess = std::function<void(platform::SerialPort& port, const PortParameters& parameters,
                                      LineActivity& activity, const CancelCount& cancels)>;

using CardAccess = std::function<void(CardChannel& channel, const PortParameters& parameters)>;

// Runs access with the open port of portHandle while holding that port: no other call can use,
// change or close it meanwhile. access must not call the port library for the same port.
// Returns false, without running access, when no open serial port has this handle.
bool withOpenPort(std::int32_t portHandle, const PortAccess& access);
// The same for a PC/SC port ("5".."8").
bool withOpenCardPort(std::int32_t portHandle, const CardAccess& access);
// Ends the waits of the access that holds the serial port of portHandle now, without waiting
// for it; an access that begins later is not touched. Nothing for an unknown handle.
void cancelPortWaits(std::int32_t portHandle);

inline bool isOpenPort(std::int32_t portHandle) {
    return withOpenPort(portHandle, [](platform::SerialPort&, const PortParameters&, LineActivity&,
                                       const CancelCount&) {}) ||
           withOpenCardPort(portHandle, [](CardChannel&, const PortParameters&) {});
}

} // namespace zqcom_internal
