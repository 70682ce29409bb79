#include "ControlCommand.h"

#include "ControlWords.h"
#include "HexFields.h"
#include "Transponder.h"

namespace emulator {
namespace {

constexpr std::uint8_t kMaxOwnAddress = 254;

bool takeUid(ArgumentReader& reader, std::size_t index, wire::Bytes& out) {
    return reader.take(parseUid(reader.word(index)), out, "UID must be 16 hex digits starting E0");
}

bool parsePlace(ArgumentReader& reader, ControlCommand& command) {
    if (!reader.count(1, 4, "place UID [TYPE BLOCKS BLOCKSIZE]") ||
        !takeUid(reader, 1, command.uid)) {
        return false;
    }
    if (!reader.has(2)) {
        return true;
    }
    if (!reader.has(4)) {
        return reader.fail("usage: place UID [TYPE BLOCKS BLOCKSIZE]");
    }
    TransponderShape shape;
    if (!reader.take(parseHexByte(reader.word(2)), shape.type, "TYPE must be a hex byte") ||
        !reader.take(parseDecimal(reader.word(3), 1, kMaxBlockCount), shape.blockCount,
                     "BLOCKS must be 1.." + std::to_string(kMaxBlockCount)) ||
        !reader.take(parseDecimal(reader.word(4), 1, kMaxBlockSize), shape.blockSize,
                     "BLOCKSIZE must be 1.." + std::to_string(kMaxBlockSize))) {
        return false;
    }
    command.shape = shape;
    return true;
}

bool parseFault(ArgumentReader& reader, ControlCommand& command) {
    if (!reader.count(1, 2, "fault none|silence|garbage|noise|badcrc|short|slow MS|hangup")) {
        return false;
    }
    const std::string name = lowered(reader.word(1));
    if (name == "hangup") {
        command.verb = ControlVerb::Hangup;
        return reader.count(1, 1, "fault hangup");
    }
    if (!reader.take(valueNamed(kFaultNames, name), command.fault.kind, "unknown fault " + name)) {
        return false;
    }
    if (command.fault.kind != FaultKind::Slow) {
        return reader.count(1, 1, "fault " + name);
    }
    return reader.count(2, 2, "fault slow MS") &&
           reader.take(parseDecimal(reader.word(2), 0, kMaxSlowMs), command.fault.slowMs,
                       "MS must be 0.." + std::to_string(kMaxSlowMs));
}

bool parseArguments(ArgumentReader& reader, ControlCommand& command) {
    switch (command.verb) {
    case ControlVerb::Place:
        return parsePlace(reader, command);
    case ControlVerb::Remove:
        return reader.count(1, 1, "remove UID") && takeUid(reader, 1, command.uid);
    case ControlVerb::Block:
        return reader.count(3, 3, "block UID INDEX HEX") && takeUid(reader, 1, command.uid) &&
               reader.take(parseDecimal(reader.word(2), 0, kMaxBlockCount - 1), command.blockIndex,
                           "INDEX must be a block number") &&
               reader.take(parseHexBytes(reader.word(3), kMaxBlockSize), command.data,
                           "HEX must be the block's bytes in hex");
    case ControlVerb::ReadOnly:
        return reader.count(2, 2, "readonly UID on|off") && takeUid(reader, 1, command.uid) &&
               reader.onOff(2, command.on);
    case ControlVerb::Rate:
        return reader.count(1, 1, "rate 1200..115200") &&
               reader.take(parseRate(reader.word(1)), command.rate, "unsupported rate");
    case ControlVerb::Frame:
        return reader.count(1, 1, "frame 8E1|8N1|8O1") &&
               reader.take(parseFrame(reader.word(1)), command.frame, "unsupported frame");
    case ControlVerb::Address:
        return reader.count(1, 1, "address 0..254") &&
               reader.take(parseDecimal(reader.word(1), 0, kMaxOwnAddress), command.address,
                           "address must be 0..254");
    case ControlVerb::Delays:
        return reader.count(1, 1, "delays on|off") && reader.onOff(1, command.on);
    case ControlVerb::Fault:
        return parseFault(reader, command);
    default:
        return reader.count(0, 0, "no arguments");
    }
}

constexpr Named<ControlVerb> kVerbs[] = {
    {"place", ControlVerb::Place},     {"remove", ControlVerb::Remove},
    {"clear", ControlVerb::Clear},     {"list", ControlVerb::List},
    {"block", ControlVerb::Block},     {"readonly", ControlVerb::ReadOnly},
    {"rate", ControlVerb::Rate},       {"frame", ControlVerb::Frame},
    {"address", ControlVerb::Address}, {"delays", ControlVerb::Delays},
    {"fault", ControlVerb::Fault},     {"status", ControlVerb::Status},
    {"quit", ControlVerb::Quit}};

} // namespace

std::optional<ControlCommand> parseControlCommand(std::string_view line, std::string& error) {
    return parseControlLine<ControlCommand>(line, kVerbs, parseArguments, error);
}

} // namespace emulator
