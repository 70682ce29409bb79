#pragma once

#include "WireFrame.h"
#include "zqkrt.h"

#include <cstdint>
#include <optional>

// ISO 15693 requests and replies as the host sees them (serial numbers with 0xE0 first) and as
// they travel on the wire and in the air (serial numbers low byte first). The byte order of a
// serial number is turned here and nowhere else.
namespace iso {

using wire::Bytes;

constexpr std::size_t kUidLength = ZQKRT_SERIAL_NUMBER_LENGTH;
constexpr std::size_t kReplyBufferSize = 256;
// The largest block a transponder has; Get System Information sends the size less one in five
// bits.
constexpr std::size_t kMaxBlockSize = 32;

enum Command : std::uint8_t {
    Inventory = 0x01,
    ReadMultipleBlocks = 0x23,
    WriteMultipleBlocks = 0x24,
    GetSystemInformation = 0x2B,
    CustomRead = 0xA0,
    CustomWrite = 0xA1,
};

// Reader statuses that come with reply data (ZQKRT_StatusCarriesReply).
enum Status : std::uint8_t {
    Ok = ZQKRT_OK,
    NoTransponder = ZQKRT_STATUS_NO_TRANSPONDER,
    FieldSwitchedOn = ZQKRT_STATUS_FIELD_SWITCHED_ON,
    ReplyIncomplete = ZQKRT_STATUS_REPLY_INCOMPLETE,
    CollisionResolved = ZQKRT_STATUS_COLLISION_RESOLVED,
    MoreTransponders = ZQKRT_STATUS_MORE_TRANSPONDERS,
    TransponderError = ZQKRT_STATUS_TRANSPONDER_ERROR,
};

// Host request -> wire request: the serial number of an addressed request reversed.
// nullopt for an unknown command code or a request shorter than its command's fixed part
// (header, serial number, parameters); block data is left for the reader to check.
std::optional<Bytes> hostRequestToWire(const Bytes& hostRequest);

// Wire reply data of command -> host reply: serial numbers reversed (Inventory: each
// transponder's; Get System Information: the one at offset 2). Addressed commands may also give
// no data or a transponder error ([flags with bit 0][error code]), passed on as they are.
// nullopt for an unknown command, a reply malformed for its command (an inventory count that the
// bytes do not hold, blocks that do not fit the block size) or one longer than kReplyBufferSize.
std::optional<Bytes> wireReplyToHost(std::uint8_t command, const Bytes& wireReply);

// The same turn for the reader's side, which keeps its transponders' serial numbers host order:
// it reads addressed requests' serial numbers with uidFromWire and writes replies' with uidToWire.
Bytes uidToWire(const Bytes& hostUid);
Bytes uidFromWire(const Bytes& wireUid);

} // namespace iso
