#include "CardApdu.h"

#include "IsoLayout.h"
#include "StorageCardCommands.h"

#include <algorithm>

namespace card {
namespace {

using namespace storage_card;
constexpr std::size_t kMaxApduData = 255;
constexpr std::size_t kStatusWordLength = 2;
constexpr std::uint8_t kIsoAllocationClass = 0xE0;
// Index of the manufacturer code in an air-order serial number, the byte below 0xE0.
constexpr std::size_t kManufacturerIndex = iso::kUidLength - 2;
constexpr std::uint8_t kNoFlags = 0x00;
constexpr std::uint8_t kUnlockedBlock = 0x00;
constexpr std::uint8_t kDsfidUnknown = 0x00;

// The serial reader's transponder types by manufacturer code; the station shows their names.
constexpr std::uint8_t kNxp = 0x04;
constexpr std::uint8_t kTexasInstruments = 0x07;
constexpr std::uint8_t kTypeICode = 0x00;
constexpr std::uint8_t kTypeTagIt = 0x01;
constexpr std::uint8_t kTypeIso = 0x03;

std::uint8_t transponderType(const Bytes& airSerialNumber) {
    switch (airSerialNumber[kManufacturerIndex]) {
    case kNxp:
        return kTypeICode;
    case kTexasInstruments:
        return kTypeTagIt;
    default:
        return kTypeIso;
    }
}

} // namespace

Bytes getDataApdu() {
    return {kClass, kGetData, 0x00, 0x00, 0x00};
}

Bytes readBinaryApdu(std::uint8_t block, std::uint8_t length) {
    return {kClass, kReadBinary, 0x00, block, length};
}

std::optional<Bytes> updateBinaryApdu(std::uint8_t block, const Bytes& data) {
    if (data.empty() || data.size() > kMaxApduData) {
        return std::nullopt;
    }
    Bytes apdu{kClass, kUpdateBinary, 0x00, block, static_cast<std::uint8_t>(data.size())};
    apdu.insert(apdu.end(), data.begin(), data.end());
    return apdu;
}

std::optional<CardReply> splitReply(const Bytes& answer) {
    if (answer.size() < kStatusWordLength) {
        return std::nullopt;
    }
    const auto dataEnd = answer.end() - kStatusWordLength;
    return CardReply{Bytes(answer.begin(), dataEnd),
                     static_cast<std::uint16_t>(dataEnd[0] << 8 | dataEnd[1])};
}

std::optional<Bytes> isoSerialNumber(const Bytes& data) {
    if (data.size() != iso::kUidLength || data.back() != kIsoAllocationClass) {
        return std::nullopt;
    }
    return data;
}

Bytes inventoryReply(const std::optional<Bytes>& airSerialNumber) {
    if (!airSerialNumber || airSerialNumber->size() != iso::kUidLength) {
        return {0x00};
    }
    Bytes reply{0x01, transponderType(*airSerialNumber), kDsfidUnknown};
    reply.insert(reply.end(), airSerialNumber->begin(), airSerialNumber->end());
    return reply;
}

std::optional<Bytes> blockReadReply(const std::vector<Bytes>& blocks) {
    const std::size_t size = blocks.empty() ? 0 : blocks.front().size();
    const bool uniform = std::all_of(blocks.begin(), blocks.end(),
                                     [size](const Bytes& block) { return block.size() == size; });
    if (blocks.empty() || size == 0 || size > iso::kMaxBlockSize || !uniform) {
        return std::nullopt;
    }
    Bytes reply{kNoFlags, static_cast<std::uint8_t>(size)};
    for (const Bytes& block : blocks) {
        reply.push_back(kUnlockedBlock);
        reply.insert(reply.end(), block.begin(), block.end());
    }
    return reply;
}

} // namespace card
