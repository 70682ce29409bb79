#include "HexEdit.h"

#include "PubFunctions.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace {

char ShownChar(char c) {
    const auto code = static_cast<unsigned char>(c);
    return code >= 32 && code <= 125 ? c : '.';
}

} // namespace

THexEdit::THexEdit(const std::string& title, int lineCount, int bytesPerLine) : title_(title) {
    SetLayout(lineCount, bytesPerLine);
}

bool THexEdit::SetLayout(int lineCount, int bytesPerLine) {
    const std::int64_t lines = std::max(lineCount, 0);
    const std::int64_t perLine = std::max(bytesPerLine, 0);
    const bool refused =
        lines > kMaxLineCount || perLine > kMaxDataBytes || lines * perLine > kMaxDataBytes;
    lineCount_ = refused ? 0 : static_cast<int>(lines);
    bytesPerLine_ = refused ? 0 : static_cast<int>(perLine);
    data_.assign(static_cast<std::size_t>(lineCount_) * static_cast<std::size_t>(bytesPerLine_),
                 '\0');
    return !refused;
}

void THexEdit::GetLayout(int& lineCount, int& bytesPerLine) const {
    lineCount = lineCount_;
    bytesPerLine = bytesPerLine_;
}

bool THexEdit::LoadData(int firstLine, const std::string& bytes) {
    if (bytes.empty())
        return true;
    const std::uint64_t requested = static_cast<std::uint64_t>(std::max(firstLine, 0)) *
                                    static_cast<std::uint64_t>(bytesPerLine_);
    const std::size_t offset =
        static_cast<std::size_t>(std::min<std::uint64_t>(requested, data_.size()));
    // The data never exceeds the limit, so only the written end can.
    if (offset + bytes.size() > static_cast<std::size_t>(kMaxDataBytes))
        return false;
    data_.replace(offset, bytes.size(), bytes);
    return true;
}

std::string THexEdit::DumpText() const {
    const std::size_t perLine = static_cast<std::size_t>(bytesPerLine_);
    std::string text;
    text.reserve(static_cast<std::size_t>(lineCount_) * (title_.size() + 4 * perLine + 10));
    for (int line = 0; line < lineCount_; ++line) {
        const std::size_t start = static_cast<std::size_t>(line) * perLine;
        char index[16];
        std::snprintf(index, sizeof index, "%3d:", line);
        text += title_;
        text += index;
        text += "  ";
        for (std::size_t i = 0; i < perLine; ++i) {
            text += ByteToHex(static_cast<unsigned char>(data_[start + i]));
            text += ' ';
        }
        text += ' ';
        for (std::size_t i = 0; i < perLine; ++i)
            text += ShownChar(data_[start + i]);
        text += "\r\n";
    }
    return text;
}
