#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace zqkrt_internal {

enum class FrameDirection { Sent, Received };

// One log line for a frame: a direction mark ("->" sent, "<-" received), then the bytes as
// upper-case hex pairs separated by blanks; no line end.
std::string protocolLogLine(FrameDirection direction, const std::vector<std::uint8_t>& frame);

// A reader's protocol log: whole lines, of which the newest kCapacity bytes are kept.
class ProtocolLog {
public:
    static constexpr std::size_t kCapacity = 64 * 1024;

    // Stores line with a line end, dropping the oldest lines until the log fits kCapacity.
    void append(const std::string& line);

    // Moves the oldest whole lines that fit into text (size bytes, NUL included) and returns
    // how many characters it moved. -1 when the oldest line does not fit; text then holds an
    // empty string (nothing when size is 0) and the log is unchanged.
    long take(char* text, std::size_t size);

    std::size_t size() const { return bytes_; }

private:
    std::deque<std::string> lines_;
    std::size_t bytes_ = 0;
};

// The logs of all readers, kept apart from the reader table so that writing one never waits
// for a reader's port.
void appendToProtocolLog(std::int32_t readerHandle, const std::string& line);

// ProtocolLog::take on the log of readerHandle, as a ZQKRT status: the character count, or
// ZQKRT_ERR_BUFFER_TOO_SMALL. The caller has checked that the reader exists.
std::int32_t takeFromProtocolLog(std::int32_t readerHandle, char* text, std::size_t size);

} // namespace zqkrt_internal
