#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// How long ISO 15693 exchanges take in the air at the high data rate: requests in 1-of-4
// coding (26.48 kbit/s), replies on one subcarrier (26.69 kbit/s). Byte counts include the
// transponder's flags byte and the 2-byte CRC. All times in microseconds.
namespace air {

constexpr std::int64_t kRequestByteMicros = 302;
constexpr std::int64_t kRequestFramingMicros = 113; // SOF and EOF
constexpr std::int64_t kReplyByteMicros = 300;
constexpr std::int64_t kReplyFramingMicros = 302;
constexpr std::int64_t kReplyWaitMicros = 321;     // before a transponder answers
constexpr std::int64_t kSilentSlotMicros = 472;    // listening in vain: wait and a SOF's time
constexpr std::int64_t kSlotMarkerMicros = 38;     // the EOF that opens the next slot
constexpr std::int64_t kSlotRecoveryMicros = 309;  // after an answer, before the next EOF
constexpr std::int64_t kBlockProgramMicros = 5000; // EEPROM write of one block
constexpr std::int64_t kFieldResetMicros = 5000;   // field off and on again
constexpr std::size_t kInventoryRequestBytes = 5;  // flags, command, mask length, CRC
constexpr std::size_t kInventoryReplyBytes = 12;   // flags, DSFID, UID, CRC

std::int64_t requestMicros(std::size_t bytes);
std::int64_t replyMicros(std::size_t bytes);

// A request that one transponder answers with replyBytes.
std::int64_t exchangeMicros(std::size_t requestBytes, std::size_t replyBytes);
// A request that no transponder answers.
std::int64_t unansweredMicros(std::size_t requestBytes);

// One inventory round: answersPerSlot holds, per slot (1 or 16 of them), how many transponders
// answered there. A slot where several answered collides; each of them is then read in a
// single-slot round of its own.
std::int64_t inventoryMicros(const std::vector<int>& answersPerSlot);

} // namespace air
