#include "ZQKRT_Table.h"

#include "PubFunctions.h"

#include <algorithm>

namespace {

constexpr std::int64_t kWriteBlocksLimit = 255;
constexpr int kLastCustomEntry = 3;

// Copies length bytes from offset when they lie wholly inside buffer.
bool CopyRange(const std::string& buffer, std::int64_t offset, std::int64_t length,
               std::string& out) {
    if (offset < 0 || length < 0 || offset + length > static_cast<std::int64_t>(buffer.size()))
        return false;
    out = buffer.substr(static_cast<std::size_t>(offset), static_cast<std::size_t>(length));
    return true;
}

// Overwrites buffer from offset with bytes; what reaches past the end lengthens the buffer.
bool ReplaceAt(std::string& buffer, std::int64_t offset, const std::string& bytes) {
    if (offset < 0 || offset > static_cast<std::int64_t>(buffer.size()))
        return false;
    buffer.replace(static_cast<std::size_t>(offset), bytes.size(), bytes);
    return true;
}

void ReverseEachBlock(std::string& data, std::size_t blockSize) {
    for (std::size_t start = 0; start + blockSize <= data.size(); start += blockSize)
        std::reverse(data.begin() + static_cast<std::ptrdiff_t>(start),
                     data.begin() + static_cast<std::ptrdiff_t>(start + blockSize));
}

} // namespace

std::string TZQKRT_Table::GetSerialNumberHex() const {
    return StrToHex(SerialNumber);
}

void TZQKRT_Table::SetSerialNumberHex(const std::string& hex) {
    SerialNumber = HexToStr(hex);
}

std::string TZQKRT_Table::GetTagTypeHex() const {
    return StrToHex(TagType);
}

void TZQKRT_Table::SetTagTypeHex(const std::string& hex) {
    TagType = HexToStr(hex);
}

void TZQKRT_Table::SetBlockSize(std::uint8_t size) {
    BlockSize = size;
    BlockSizeKnown = 1;
}

std::string TZQKRT_Table::GetSystemInfoText() const {
    return std::to_string(SystemInfo);
}

bool TZQKRT_Table::GetData(int kind, int firstBlock, int blockCount, std::string& data) const {
    data.clear();
    const std::string* buffer = nullptr;
    bool reversed = false;
    switch (kind) {
    case block_buffer::kReadBlocks:
        if (BlockSize == 0)
            return false;
        buffer = &ReadBlocks;
        reversed = true;
        break;
    case block_buffer::kWriteBlocks:
        buffer = &WriteBlocks;
        reversed = true;
        break;
    case block_buffer::kCustomRead:
        buffer = &CustomReadData;
        break;
    case block_buffer::kCustomWrite:
        buffer = &CustomWriteData;
        break;
    default:
        return false;
    }
    const std::int64_t offset = std::int64_t{firstBlock} * BlockSize;
    const std::int64_t length = std::int64_t{blockCount} * BlockSize;
    if (!CopyRange(*buffer, offset, length, data))
        return false;
    if (reversed)
        ReverseEachBlock(data, BlockSize);
    return true;
}

int TZQKRT_Table::StoreReplyData(const std::string& commandCode, const std::string& replyHex,
                                 int index) {
    std::string* buffer = nullptr;
    if (commandCode == "23")
        buffer = &ReadBlocks;
    else if (commandCode == "A0" && index <= kLastCustomEntry)
        buffer = &CustomReadData;
    if (buffer == nullptr || BlockSize == 0)
        return -1;
    const std::string bytes = HexToStr(replyHex.substr(0, 2 * std::size_t{BlockSize}));
    return ReplaceAt(*buffer, std::int64_t{index} * BlockSize, bytes) ? 0 : -1;
}

int TZQKRT_Table::GetRequestData(const std::string& commandCode, int index,
                                 std::string& data) const {
    data.clear();
    const std::int64_t offset = std::int64_t{index} * BlockSize;
    if (commandCode == "24" && offset + BlockSize <= kWriteBlocksLimit)
        return CopyRange(WriteBlocks, offset, BlockSize, data) ? 0 : -1;
    if (commandCode == "A1" && index <= kLastCustomEntry)
        return CopyRange(CustomWriteData, offset, BlockSize, data) ? 0 : -1;
    return -1;
}
