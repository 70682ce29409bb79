#pragma once

#include "Transponder.h"

#include <cstddef>

namespace emulator {

// The longest command APDU of the short form: header, Lc, 255 bytes, Le.
constexpr std::size_t kMaxApduLength = 261;

// The answer-to-reset of a contactless storage card carrying an ISO 15693 tag.
Bytes storageCardAtr();

// The response APDU, status word included, to a command APDU for the transponder presented as
// a storage card: Get Data of the UID, Read Binary and Update Binary of one block.
Bytes answerApdu(Transponder& tag, const Bytes& apdu);

} // namespace emulator
