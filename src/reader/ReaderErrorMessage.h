#pragma once

#include <cstdint>

// Reports a failed reader library call: "ZQCOM-ErrorCode: <status>", titled "Error".
void showReaderError(std::int32_t status);
