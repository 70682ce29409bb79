#pragma once

#include <cstdint>
#include <string>

// One transponder of the last inventory: its serial number and type, and the block data read
// from it or to be written to it. The byte strings start at full size, so any block inside them
// The buffers GetData reads, by their numbers.
namespace block_buffer {
enum : int { kReadBlocks = 1, kWriteBlocks = 2, kCustomRead = 3, kCustomWrite = 4 };
} // namespace block_buffer

// reads as zeros before anything was stored.
class TZQKRT_Table {
public:
    std::string WriteBlocks = std::string(255, '\0');
    std::string ReadBlocks = std::string(255, '\0');
    std::string CustomWriteData = std::string(33, '\0');
    std::string CustomReadData = std::string(33, '\0');
    std::uint8_t BlockSize = 4;
    std::uint8_t SystemInfo = 0;
    std::string SerialNumber;
    std::string TagType;
    std::uint8_t BlockSizeKnown = 0;

    std::string GetSerialNumberHex() const;
    void SetSerialNumberHex(const std::string& hex);
    std::string GetTagTypeHex() const;
    void SetTagTypeHex(const std::string& hex);

    std::uint8_t GetBlockSize() const { return BlockSize; }
    void SetBlockSize(std::uint8_t size);
    std::string GetSystemInfoText() const;
    void SetSystemInfo(std::uint8_t info) { SystemInfo = info; }

    // Blocks firstBlock .. firstBlock + blockCount - 1 of one buffer: kind 1 ReadBlocks and
    // kind 2 WriteBlocks, each block's bytes reversed; kind 3 CustomReadData and kind 4
    // CustomWriteData as stored. False, with data empty, for another kind, a negative range, a
    // range past the buffer's end, or kind 1 while BlockSize is 0.
    bool GetData(int kind, int firstBlock, int blockCount, std::string& data) const;

    // Stores the leading BlockSize bytes of replyHex as block (or custom entry) index of
    // ReadBlocks ("23") or CustomReadData ("A0"). A block starting exactly at the end lengthens
    // the buffer. -1 when nothing is stored: another code, BlockSize 0, an entry above 3, or a
    // block that would start past the end of the buffer (it would land at the wrong offset).
    int StoreReplyData(const std::string& commandCode, const std::string& replyHex, int index);

    // The BlockSize bytes to send for block index of WriteBlocks ("24", blocks inside the first
    // 255 bytes) or entry index 0..3 of CustomWriteData ("A1"); -1, with data empty, otherwise.
    int GetRequestData(const std::string& commandCode, int index, std::string& data) const;
};
