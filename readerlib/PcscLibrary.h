#pragma once

#include <winscard.h>

// The service's client library, loaded when the first PC/SC port opens, so that the port
// library never needs it for serial ports.
namespace zqcom_internal {

struct PcscLibrary {
    decltype(&SCardEstablishContext) establishContext;
    decltype(&SCardReleaseContext) releaseContext;
    decltype(&SCardListReaders) listReaders;
    decltype(&SCardGetStatusChange) getStatusChange;
    decltype(&SCardConnect) connect;
    decltype(&SCardDisconnect) disconnect;
    decltype(&SCardTransmit) transmit;
};

// Loads libpcsclite.so.1 on the first call, once for the process; null when it or one of its
// functions is missing.
const PcscLibrary* pcscLibrary();

} // namespace zqcom_internal
