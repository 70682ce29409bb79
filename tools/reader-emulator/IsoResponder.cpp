#include "IsoResponder.h"

#include "AirTime.h"
#include "Inventory.h"
#include "IsoLayout.h"
#include "ReaderState.h"

namespace emulator {
namespace {

constexpr std::size_t kHeaderLength = 2; // code, mode
constexpr std::uint8_t kModeBitsInUse = 0x01;
constexpr std::uint8_t kLockedBlock = 0x01;
constexpr std::uint8_t kNoErrorFlags = 0x00;
constexpr std::uint8_t kErrorFlag = 0x01;
constexpr std::uint8_t kAllInfoPresent = 0x0F; // DSFID, AFI, memory size, IC reference
// Air bytes of an addressed request before its parameters: flags, command, UID, and the CRC.
constexpr std::size_t kAddressedAirBytes = 1 + 1 + kUidLength + 2;
// Custom commands also carry the manufacturer code.
constexpr std::size_t kCustomAirBytes = kAddressedAirBytes + 1;
constexpr std::size_t kReplyFlagsAndCrc = 3;

IsoResult bare(std::uint8_t status) {
    return IsoResult{status, {}, 0};
}

// A transponder answering with its error flag; the air time is that of the exchange.
IsoResult transponderError(std::uint8_t code, std::int64_t airMicros) {
    return IsoResult{iso::TransponderError, {kErrorFlag, code}, airMicros};
}

// The parts of an addressed request after the header.
struct Addressed {
    Bytes hostUid;
    Bytes parameters;
};

Addressed splitAddressed(const Bytes& request) {
    const auto uidBegin = request.begin() + kHeaderLength;
    const auto uidEnd = uidBegin + kUidLength;
    return {iso::uidFromWire(Bytes(uidBegin, uidEnd)), Bytes(uidEnd, request.end())};
}

IsoResult readMultipleBlocks(const Transponder& tag, const Bytes& parameters) {
    const int first = parameters[0];
    const int count = parameters[1];
    const std::size_t requestAir = kAddressedAirBytes + 2;
    const std::size_t perBlock = 1 + std::size_t{tag.blockSize};
    if (count == 0 || 2 + count * perBlock > wire::kMaxReplyData) {
        return bare(BadRequest);
    }
    if (first >= tag.blockCount()) {
        return transponderError(kBlockNotAvailable, air::exchangeMicros(requestAir, 4));
    }
    const int available = std::min(count, tag.blockCount() - first);
    IsoResult result;
    result.status = available < count ? iso::ReplyIncomplete : iso::Ok;
    result.data = {kNoErrorFlags, tag.blockSize};
    const auto begin = tag.memory.begin() + first * tag.blockSize;
    for (int block = 0; block < available; ++block) {
        result.data.push_back(tag.readOnly ? kLockedBlock : 0x00);
        const auto blockBegin = begin + block * tag.blockSize;
        result.data.insert(result.data.end(), blockBegin, blockBegin + tag.blockSize);
    }
    result.airMicros = air::exchangeMicros(requestAir, kReplyFlagsAndCrc + available * perBlock);
    return result;
}

IsoResult writeMultipleBlocks(Transponder& tag, const Bytes& parameters) {
    const int first = parameters[0];
    const int count = parameters[1];
    const std::size_t blockSize = parameters[2];
    const std::size_t dataLength = parameters.size() - 3;
    if (count == 0 || blockSize != tag.blockSize || dataLength != count * blockSize) {
        return bare(BadRequest);
    }
    const std::int64_t exchange = air::exchangeMicros(kAddressedAirBytes + 2 + dataLength, 3);
    // All or nothing: a write that reaches past the end changes no block.
    if (first + count > tag.blockCount()) {
        return transponderError(kBlockNotAvailable, exchange);
    }
    if (tag.readOnly) {
        return bare(ReadOnlyMemory);
    }
    std::copy(parameters.begin() + 3, parameters.end(), tag.memory.begin() + first * blockSize);
    return IsoResult{iso::Ok, {kNoErrorFlags}, exchange + count * air::kBlockProgramMicros};
}

IsoResult systemInformation(const Transponder& tag, const Bytes& parameters) {
    if (!parameters.empty()) {
        return bare(BadRequest);
    }
    IsoResult result;
    result.data = {kNoErrorFlags, kAllInfoPresent};
    const Bytes uid = iso::uidToWire(tag.uid);
    result.data.insert(result.data.end(), uid.begin(), uid.end());
    result.data.push_back(tag.dsfid);
    result.data.push_back(tag.afi);
    result.data.push_back(static_cast<std::uint8_t>(tag.blockCount() - 1));
    result.data.push_back(static_cast<std::uint8_t>(tag.blockSize - 1));
    result.data.push_back(tag.icReference);
    result.airMicros = air::exchangeMicros(kAddressedAirBytes, result.data.size() + 2);
    return result;
}

IsoResult customRead(const Transponder& tag, const Bytes& parameters) {
    if (parameters.size() != 1 || parameters[0] >= kCustomEntryCount) {
        return bare(BadRequest);
    }
    const Bytes& entry = tag.customEntries[parameters[0]];
    return IsoResult{iso::Ok, entry,
                     air::exchangeMicros(kCustomAirBytes + 1, kReplyFlagsAndCrc + entry.size())};
}

IsoResult customWrite(Transponder& tag, const Bytes& parameters) {
    if (parameters.empty() || parameters[0] >= kCustomEntryCount ||
        parameters.size() - 1 != tag.blockSize) {
        return bare(BadRequest);
    }
    if (tag.readOnly) {
        return bare(ReadOnlyMemory);
    }
    tag.customEntries[parameters[0]].assign(parameters.begin() + 1, parameters.end());
    return IsoResult{iso::Ok,
                     {kNoErrorFlags},
                     air::exchangeMicros(kCustomAirBytes + parameters.size(), 3) +
                         air::kBlockProgramMicros};
}

// The fewest parameter bytes each addressed command needs; -1 for unknown codes.
int minimumParameters(std::uint8_t code) {
    switch (code) {
    case iso::ReadMultipleBlocks:
        return 2;
    case iso::WriteMultipleBlocks:
        return 3;
    case iso::GetSystemInformation:
        return 0;
    case iso::CustomRead:
    case iso::CustomWrite:
        return 1;
    default:
        return -1;
    }
}

IsoResult runAddressed(std::vector<Transponder>& field, const Bytes& request) {
    const std::uint8_t code = request[0];
    const int minimum = minimumParameters(code);
    if (minimum < 0) {
        return bare(UnknownCommand);
    }
    if (request.size() < kHeaderLength + kUidLength + static_cast<std::size_t>(minimum)) {
        return bare(BadRequest);
    }
    const Addressed addressed = splitAddressed(request);
    // Exact lengths are the commands' own checks, except for Read's fixed two.
    if (code == iso::ReadMultipleBlocks && addressed.parameters.size() != 2) {
        return bare(BadRequest);
    }
    Transponder* tag = findTransponder(field, addressed.hostUid);
    if (tag == nullptr) {
        const std::size_t custom = code == iso::CustomRead || code == iso::CustomWrite ? 1 : 0;
        return IsoResult{
            iso::NoTransponder,
            {},
            air::unansweredMicros(kAddressedAirBytes + custom + addressed.parameters.size())};
    }
    switch (code) {
    case iso::ReadMultipleBlocks:
        return readMultipleBlocks(*tag, addressed.parameters);
    case iso::WriteMultipleBlocks:
        return writeMultipleBlocks(*tag, addressed.parameters);
    case iso::GetSystemInformation:
        return systemInformation(*tag, addressed.parameters);
    case iso::CustomRead:
        return customRead(*tag, addressed.parameters);
    default:
        return customWrite(*tag, addressed.parameters);
    }
}

} // namespace

IsoResult runIsoRequest(std::vector<Transponder>& field, const Bytes& request) {
    if (request.size() < kHeaderLength) {
        return bare(BadRequest);
    }
    if ((request[1] & ~kModeBitsInUse) != 0) {
        return bare(BadRequest);
    }
    if (request[0] == iso::Inventory) {
        return request.size() == kHeaderLength ? runInventory(field, request[1]) : bare(BadRequest);
    }
    return runAddressed(field, request);
}

} // namespace emulator
