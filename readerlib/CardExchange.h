#pragma once

#include "CardChannel.h"
#include "PortRegistry.h"
#include "ReaderTransport.h"
#include "WireFrame.h"

#include <cstdint>

namespace zqkrt_internal {

// A reader command for a PC/SC port: the reply that a serial reader gives to request, made from
// the storage-card APDUs of the card that the PC/SC reader presents. The bus address is not
// used. Logs every APDU and answer through trace. Returns ZQKRT_OK with the reply, or a
// negative ZQKRT status.
std::int32_t exchangeWithCard(zqcom_internal::CardChannel& channel,
                              const zqcom_internal::PortParameters& parameters,
                              const wire::Frame& request, wire::Frame& reply,
                              const FrameTrace& trace);

} // namespace zqkrt_internal
