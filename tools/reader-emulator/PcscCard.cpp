#include "PcscCard.h"

#include "StorageCardCommands.h"

#include <algorithm>

namespace emulator {
namespace {

using namespace storage_card;
constexpr std::size_t kHeaderLength = 4;

// The storage-card convention's standard byte for ISO 15693 up to its anticollision layer; the
// card name is left unknown, as the reader cannot tell the chip from the UID alone.
constexpr std::uint8_t kStandardIso15693 = 0x0B;

Bytes status(std::uint16_t word) {
    return {static_cast<std::uint8_t>(word >> 8), static_cast<std::uint8_t>(word & 0xFF)};
}

Bytes withStatus(Bytes data, std::uint16_t word) {
    const Bytes tail = status(word);
    data.insert(data.end(), tail.begin(), tail.end());
    return data;
}

// Le 0 stands for "all there is"; any other count must be exactly that.
bool leFits(std::uint8_t le, std::size_t length) {
    return le == 0 || le == length;
}

Bytes getData(const Transponder& tag, const Bytes& apdu) {
    if (apdu.size() != kHeaderLength + 1) {
        return status(sw::kWrongLength);
    }
    if (apdu[2] == 0x01 && apdu[3] == 0x00) {
        return status(sw::kNotSupported); // historical bytes: an ISO 15693 tag has none
    }
    if (apdu[2] != 0x00 || apdu[3] != 0x00) {
        return status(sw::kWrongP1P2);
    }
    if (!leFits(apdu[4], tag.uid.size())) {
        return status(static_cast<std::uint16_t>(sw::kWrongLe | tag.uid.size()));
    }
    // Low byte first, as the tag sends it over the air.
    return withStatus(Bytes(tag.uid.rbegin(), tag.uid.rend()), sw::kOk);
}

Bytes readBinary(const Transponder& tag, const Bytes& apdu, int block) {
    if (apdu.size() != kHeaderLength + 1) {
        return status(sw::kWrongLength);
    }
    if (block >= tag.blockCount()) {
        return status(sw::kNoSuchBlock);
    }
    if (!leFits(apdu[4], tag.blockSize)) {
        return status(static_cast<std::uint16_t>(sw::kWrongLe | tag.blockSize));
    }
    const auto first = tag.memory.begin() + block * tag.blockSize;
    return withStatus(Bytes(first, first + tag.blockSize), sw::kOk);
}

Bytes updateBinary(Transponder& tag, const Bytes& apdu, int block) {
    if (apdu.size() <= kHeaderLength + 1 || apdu.size() != kHeaderLength + 1 + apdu[4] ||
        apdu[4] != tag.blockSize) {
        return status(sw::kWrongLength);
    }
    if (block >= tag.blockCount()) {
        return status(sw::kNoSuchBlock);
    }
    if (tag.readOnly) {
        return status(sw::kSecurity);
    }
    std::copy(apdu.begin() + kHeaderLength + 1, apdu.end(),
              tag.memory.begin() + block * tag.blockSize);
    return status(sw::kOk);
}

} // namespace

Bytes storageCardAtr() {
    Bytes atr{
        0x3B, 0x8F, 0x80, 0x01, 0x80, 0x4F, 0x0C, 0xA0, 0x00, 0x00, 0x03, 0x06, kStandardIso15693,
        0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    std::uint8_t check = 0;
    for (auto byte = atr.begin() + 1; byte != atr.end(); ++byte) {
        check ^= *byte;
    }
    atr.push_back(check);
    return atr;
}

Bytes answerApdu(Transponder& tag, const Bytes& apdu) {
    if (apdu.size() < kHeaderLength || apdu.size() > kMaxApduLength) {
        return status(sw::kWrongLength);
    }
    if (apdu[0] != kClass) {
        return status(sw::kUnknownClass);
    }
    const int block = apdu[2] << 8 | apdu[3];
    switch (apdu[1]) {
    case kGetData:
        return getData(tag, apdu);
    case kReadBinary:
        return readBinary(tag, apdu, block);
    case kUpdateBinary:
        return updateBinary(tag, apdu, block);
    default:
        return status(sw::kUnknownInstruction);
    }
}

} // namespace emulator
