#pragma once

#include <QByteArray>
#include <cstdint>
#include <vector>

// Bytes as a test writes them: "E00401" is {0xE0, 0x04, 0x01}.
inline std::vector<std::uint8_t> hex(const char* text) {
    const QByteArray raw = QByteArray::fromHex(QByteArray(text));
    return std::vector<std::uint8_t>(raw.begin(), raw.end());
}
