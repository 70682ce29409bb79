#pragma once

#include <cstdint>

// How the station reads the status of a port or reader library call. A reader's reply status
// (what RunCommand and the reader commands give when the call itself went through) is another
// fact: it is compared with the ZQKRT_STATUS_* constants.

// The call failed: its status is negative. 0, or the handle a call made, is success.
constexpr bool readerCallFailed(std::int32_t status) {
    return status < 0;
}

// When the call failed, shows its status ("ZQCOM-ErrorCode: <status>", titled "Error") and
// gives true: the caller stops its step there.
bool failedAndShown(std::int32_t status);
