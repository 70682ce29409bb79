#pragma once

#include "WireFrame.h"

#include <cstdint>

// What the PC/SC return codes and the cards' status words mean for the reader libraries: the
// one place where they are turned into ZQCOM and ZQKRT statuses.
namespace readerlib {

// A ZQKRT error (negative), or the reader status with the reply data a serial reader gives
// with it.
struct CardOutcome {
    std::int32_t status = 0;
    wire::Bytes data;
};

// What the command asked of the card, for the status words whose meaning depends on it.
enum class CardAccess { Identify, Read, Write };

// ISO 15693 error code of a transponder for a block outside its memory.
constexpr std::uint8_t kBlockNotAvailable = 0x10;

// The ZQCOM status for a failed open of a PC/SC port.
std::int32_t portOpenStatus(long code);

// True when the code means the card connection is of no further use.
bool cardConnectionLost(long code);

// ZQKRT_OK for success, the reader status "no transponder" for a card that is not (or no
// longer) there, otherwise a ZQKRT error.
CardOutcome outcomeOfCode(long code);

// ZQKRT_OK for 90 00, otherwise the reader status that a serial reader gives for the same fault.
CardOutcome outcomeOfStatusWord(std::uint16_t statusWord, CardAccess access);

} // namespace readerlib
