#include "Emulator.h"

#include "HexFields.h"
#include "ReplyDelay.h"
#include "Responder.h"

#include <algorithm>

namespace emulator {
namespace {

// What a "place UID" of an unknown UID makes: the common 28 blocks of 4 bytes.
constexpr TransponderShape kDefaultShape{0x00, 28, 4};

std::string byteText(std::uint8_t byte) {
    return hexText(wire::Bytes{byte});
}

} // namespace

Emulator::Emulator(const RateAndFrame& line, std::uint8_t address, bool delays, Catalogue catalogue)
    : catalogue_(std::move(catalogue)), delays_(delays) {
    state_.line = line;
    state_.address = address;
}

ControlReply Emulator::executeLine(std::string_view line) {
    std::string error;
    const auto command = parseControlCommand(line, error);
    return command ? execute(*command) : failedReply(error);
}

ControlReply Emulator::execute(const ControlCommand& command) {
    ControlReply reply;
    switch (command.verb) {
    case ControlVerb::Nothing:
        break;
    case ControlVerb::Place:
        return place(command);
    case ControlVerb::Remove:
    case ControlVerb::Block:
    case ControlVerb::ReadOnly:
        return changeTransponder(command);
    case ControlVerb::Clear:
        state_.field.clear();
        break;
    case ControlVerb::List:
        return list();
    case ControlVerb::Rate:
        state_.line.baud = command.rate;
        break;
    case ControlVerb::Frame:
        state_.line.frame = command.frame;
        break;
    case ControlVerb::Address:
        state_.address = command.address;
        break;
    case ControlVerb::Delays:
        delays_ = command.on;
        break;
    case ControlVerb::Fault:
        fault_ = command.fault;
        break;
    case ControlVerb::Hangup:
        reply.hangup = true;
        break;
    case ControlVerb::Status:
        return status();
    case ControlVerb::Quit:
        reply.quit = true;
        break;
    }
    return reply;
}

ControlReply Emulator::place(const ControlCommand& command) {
    if (findTransponder(state_.field, command.uid) != nullptr) {
        return failedReply("transponder " + hexText(command.uid) + " is in the field already");
    }
    TransponderShape shape = kDefaultShape;
    if (command.shape) {
        shape = *command.shape;
    } else if (const CatalogueEntry* known = catalogue_.find(command.uid)) {
        shape = {known->type, known->blockCount, known->blockSize};
    }
    auto transponder = makeTransponder(command.uid, shape.type, shape.blockCount, shape.blockSize);
    if (!transponder) {
        return failedReply("cannot make transponder " + hexText(command.uid));
    }
    state_.field.push_back(std::move(*transponder));
    return {};
}

ControlReply Emulator::changeTransponder(const ControlCommand& command) {
    Transponder* tag = findTransponder(state_.field, command.uid);
    if (tag == nullptr) {
        return failedReply("transponder " + hexText(command.uid) + " is not in the field");
    }
    switch (command.verb) {
    case ControlVerb::Remove:
        state_.field.erase(state_.field.begin() + (tag - state_.field.data()));
        break;
    case ControlVerb::ReadOnly:
        tag->readOnly = command.on;
        break;
    default:
        if (command.blockIndex >= tag->blockCount()) {
            return failedReply("block " + std::to_string(command.blockIndex) + " past the last, " +
                               std::to_string(tag->blockCount() - 1));
        }
        if (command.data.size() != tag->blockSize) {
            return failedReply("a block holds " + std::to_string(tag->blockSize) + " bytes");
        }
        std::copy(command.data.begin(), command.data.end(),
                  tag->memory.begin() + command.blockIndex * tag->blockSize);
        break;
    }
    return {};
}

ControlReply Emulator::list() const {
    ControlReply reply;
    for (const Transponder& tag : state_.field) {
        std::string line = hexText(tag.uid) + " type " + byteText(tag.type) + " blocks " +
                           std::to_string(tag.blockCount()) + " size " +
                           std::to_string(tag.blockSize);
        if (tag.readOnly) {
            line += " read-only";
        }
        if (const CatalogueEntry* known = catalogue_.find(tag.uid)) {
            line += " drug " + known->drug;
        }
        reply.lines.push_back(std::move(line));
    }
    return reply;
}

ControlReply Emulator::status() const {
    ControlReply reply = statusReply(statusSource_);
    reply.lines.push_back("line " + lineText(state_.line));
    reply.lines.push_back("address " + std::to_string(state_.address));
    reply.lines.push_back(std::string("delays ") + (delays_ ? "on" : "off"));
    reply.lines.push_back("fault " + faultText(fault_));
    reply.lines.push_back(std::string("field ") + (state_.fieldOn ? "on" : "off"));
    reply.lines.push_back("transponders " + std::to_string(state_.field.size()));
    return reply;
}

std::optional<PlannedReply> Emulator::handleRequest(const wire::Frame& request,
                                                    const RateAndFrame& hostLine,
                                                    std::mt19937& random) {
    const auto exchange = respond(state_, hostLine, request);
    if (!exchange) {
        return std::nullopt;
    }
    const auto frame = wire::encode(wire::FrameKind::Reply, exchange->reply);
    if (!frame) {
        return std::nullopt;
    }
    PlannedReply planned;
    planned.bytes = spoilReply(fault_, *frame, random);
    if (planned.bytes.empty()) {
        return std::nullopt;
    }
    if (delays_) {
        const std::size_t requestBytes = request.data.size() + 2 + wire::kOverhead;
        planned.delayMicros =
            replyDelayMicros(requestBytes, planned.bytes.size(), hostLine, exchange->airMicros);
    }
    if (fault_.kind == FaultKind::Slow) {
        planned.delayMicros += std::int64_t{fault_.slowMs} * 1000;
    }
    return planned;
}

} // namespace emulator
