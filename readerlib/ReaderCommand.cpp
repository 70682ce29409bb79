#include "ReaderCommand.h"

#include "CardExchange.h"
#include "ProtocolLog.h"
#include "ReaderRegistry.h"
#include "ReaderTransport.h"
#include "zqkrt.h"

namespace zqkrt_internal {

std::int32_t runReaderCommand(std::int32_t readerHandle, std::uint8_t busAddress,
                              std::uint8_t command, const wire::Bytes& data, wire::Frame& reply) {
    Reader reader;
    if (!withReader(readerHandle, [&reader](const Reader& found) { reader = found; })) {
        return ZQKRT_ERR_BAD_HANDLE;
    }
    if (reader.portHandle == 0) {
        return ZQKRT_ERR_PORT_NOT_OPEN;
    }
    FrameTrace trace;
    if (reader.logProtocol) {
        trace = [readerHandle](FrameDirection direction, const wire::Bytes& frame) {
            appendToProtocolLog(readerHandle, protocolLogLine(direction, frame));
        };
    }
    wire::Frame request;
    request.address = busAddress;
    request.command = command;
    request.data = data;
    std::int32_t status = ZQKRT_ERR_PORT_NOT_OPEN;
    const bool card = zqcom_internal::withOpenCardPort(
        reader.portHandle, [&](zqcom_internal::CardChannel& channel,
                               const zqcom_internal::PortParameters& parameters) {
            status = exchangeWithCard(channel, parameters, request, reply, trace);
        });
    return card ? status : exchangeFrames(reader.portHandle, request, reply, trace);
}

} // namespace zqkrt_internal
