#pragma once

#include "WireFrame.h"

#include <cstdint>
#include <optional>
#include <vector>

// The storage-card APDUs that a PC/SC reader understands for the ISO 15693 tag it presents, and
// the serial reader's reply data built from the card's answers. No I/O.
namespace card {

using wire::Bytes;

Bytes getDataApdu();
// Le 0 asks for the whole block, however long the card's blocks are.
Bytes readBinaryApdu(std::uint8_t block, std::uint8_t length);
// nullopt for no data or more than an APDU carries.
std::optional<Bytes> updateBinaryApdu(std::uint8_t block, const Bytes& data);

// A card's answer: its data and the status word behind it.
struct CardReply {
    Bytes data;
    std::uint16_t statusWord = 0;
};

// nullopt for an answer too short to hold a status word.
std::optional<CardReply> splitReply(const Bytes& answer);

// The serial number in a Get Data answer, low byte first as in the air; nullopt when the data is
// no ISO 15693 serial number (8 bytes, 0xE0 the highest).
std::optional<Bytes> isoSerialNumber(const Bytes& data);

// The Inventory reply data, wire layout, for the transponder presented, or for none.
Bytes inventoryReply(const std::optional<Bytes>& airSerialNumber);

// The Read Multiple Blocks reply data: [flags][block size][per block: security status, data].
// nullopt when the blocks differ in size, or a block is empty or longer than a transponder's
// block can be.
std::optional<Bytes> blockReadReply(const std::vector<Bytes>& blocks);

} // namespace card
