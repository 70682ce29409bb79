#include "Responder.h"

#include "AirTime.h"
#include "IsoLayout.h"
#include "IsoResponder.h"

namespace emulator {
namespace {

Exchange getBaud(const ReaderState& state, const wire::Frame& request) {
    Exchange exchange;
    if (!request.data.empty()) {
        exchange.reply.status = BadRequest;
        return exchange;
    }
    exchange.reply.status = iso::Ok;
    exchange.reply.data = {rateIndex(state.line.baud).value_or(0)};
    return exchange;
}

Exchange rfReset(ReaderState& state, const wire::Frame& request) {
    Exchange exchange;
    if (!request.data.empty()) {
        exchange.reply.status = BadRequest;
        return exchange;
    }
    exchange.reply.status = state.fieldOn ? iso::Ok : iso::FieldSwitchedOn;
    exchange.airMicros = air::kFieldResetMicros;
    state.fieldOn = true;
    return exchange;
}

Exchange isoCommand(ReaderState& state, const wire::Frame& request) {
    IsoResult result = runIsoRequest(state.field, request.data);
    const bool wentOnAir = result.status != UnknownCommand && result.status != BadRequest;
    if (wentOnAir && !state.fieldOn) {
        state.fieldOn = true;
        if (result.status == iso::Ok) {
            result.status = iso::FieldSwitchedOn;
        }
    }
    Exchange exchange;
    exchange.reply.status = result.status;
    exchange.reply.data = std::move(result.data);
    exchange.airMicros = result.airMicros;
    return exchange;
}

} // namespace

std::optional<Exchange> respond(ReaderState& state, const RateAndFrame& hostLine,
                                const wire::Frame& request) {
    if (hostLine != state.line) {
        return std::nullopt;
    }
    if (request.address != wire::kBroadcastAddress && request.address != state.address) {
        return std::nullopt;
    }
    Exchange exchange;
    switch (request.command) {
    case GetBaud:
        exchange = getBaud(state, request);
        break;
    case RfReset:
        exchange = rfReset(state, request);
        break;
    case IsoCommand:
        exchange = isoCommand(state, request);
        break;
    default:
        exchange.reply.status = UnknownCommand;
        break;
    }
    exchange.reply.address = state.address;
    exchange.reply.command = request.command;
    return exchange;
}

} // namespace emulator
