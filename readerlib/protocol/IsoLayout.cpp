#include "IsoLayout.h"

#include <algorithm>

namespace iso {

namespace {

constexpr std::size_t kHeaderLength = 2;          // code, mode
constexpr std::size_t kInventoryEntryLength = 10; // type, DSFID, UID
constexpr std::size_t kInventoryUidOffset = 2;
constexpr std::size_t kMaxInventoryEntries = 25;
constexpr std::size_t kSystemInformationLength = 15;
constexpr std::size_t kSystemInformationUidOffset = 2;
constexpr std::uint8_t kErrorFlag = 0x01;

// Header, serial number and the parameters before any block data: what each request needs at least.
std::optional<std::size_t> fixedRequestLength(std::uint8_t code) {
    switch (code) {
    case Inventory:
        return kHeaderLength;
    case GetSystemInformation:
        return kHeaderLength + kUidLength;
    case CustomRead:
    case CustomWrite:
        return kHeaderLength + kUidLength + 1; // entry
    case ReadMultipleBlocks:
        return kHeaderLength + kUidLength + 2; // first, count
    case WriteMultipleBlocks:
        return kHeaderLength + kUidLength + 3; // first, count, block size
    default:
        return std::nullopt;
    }
}

void reverseUidAt(Bytes& bytes, std::size_t offset) {
    const auto first = bytes.begin() + static_cast<std::ptrdiff_t>(offset);
    std::reverse(first, first + static_cast<std::ptrdiff_t>(kUidLength));
}

// A transponder that answered with its error flag: [flags][error code].
bool isTransponderError(const Bytes& reply) {
    return reply.size() == 2 && (reply[0] & kErrorFlag) != 0;
}

std::optional<Bytes> inventoryToHost(Bytes reply) {
    if (reply.empty())
        return std::nullopt;
    const std::size_t count = reply[0];
    if (count > kMaxInventoryEntries || reply.size() != 1 + count * kInventoryEntryLength)
        return std::nullopt;
    for (std::size_t i = 0; i < count; ++i)
        reverseUidAt(reply, 1 + i * kInventoryEntryLength + kInventoryUidOffset);
    return reply;
}

std::optional<Bytes> systemInformationToHost(Bytes reply) {
    if (reply.empty() || isTransponderError(reply))
        return reply;
    if (reply.size() != kSystemInformationLength)
        return std::nullopt;
    reverseUidAt(reply, kSystemInformationUidOffset);
    return reply;
}

// [flags][block size][per block: security status, block size data bytes]
bool isWellFormedBlockRead(const Bytes& reply) {
    if (reply.empty() || isTransponderError(reply))
        return true;
    if (reply.size() < 2)
        return false;
    const std::size_t stride = std::size_t{reply[1]} + 1;
    return (reply.size() - 2) % stride == 0;
}

} // namespace

std::optional<Bytes> hostRequestToWire(const Bytes& hostRequest) {
    if (hostRequest.empty())
        return std::nullopt;
    const std::optional<std::size_t> fixedLength = fixedRequestLength(hostRequest[0]);
    if (!fixedLength || hostRequest.size() < *fixedLength)
        return std::nullopt;
    Bytes wireRequest = hostRequest;
    if (hostRequest[0] != Inventory)
        reverseUidAt(wireRequest, kHeaderLength);
    return wireRequest;
}

std::optional<Bytes> wireReplyToHost(std::uint8_t command, const Bytes& wireReply) {
    if (wireReply.size() > kReplyBufferSize)
        return std::nullopt;
    switch (command) {
    case Inventory:
        return inventoryToHost(wireReply);
    case GetSystemInformation:
        return systemInformationToHost(wireReply);
    case ReadMultipleBlocks:
        if (!isWellFormedBlockRead(wireReply))
            return std::nullopt;
        return wireReply;
    case WriteMultipleBlocks:
    case CustomWrite:
        // Nothing, [flags], or a transponder error.
        if (wireReply.size() > 1 && !isTransponderError(wireReply))
            return std::nullopt;
        return wireReply;
    case CustomRead:
        // The block size is the transponder's; only the reader knows it.
        return wireReply;
    default:
        return std::nullopt;
    }
}

Bytes uidToWire(const Bytes& hostUid) {
    return Bytes(hostUid.rbegin(), hostUid.rend());
}

Bytes uidFromWire(const Bytes& wireUid) {
    return Bytes(wireUid.rbegin(), wireUid.rend());
}

} // namespace iso
