#include "ReaderCommand.h"

#include "ProtocolLog.h"
#include "ReaderTable.h"
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
    return exchangeFrames(reader.portHandle, request, reply, trace);
}

} // namespace zqkrt_internal
