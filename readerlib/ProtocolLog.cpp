#include "ProtocolLog.h"

#include "zqkrt.h"

#include <cstring>
#include <map>
#include <mutex>

namespace zqkrt_internal {
namespace {

struct Logs {
    std::mutex mutex;
    std::map<std::int32_t, ProtocolLog> byReader;
};

Logs& logs() {
    static Logs instance;
    return instance;
}

} // namespace

std::string protocolLogLine(FrameDirection direction, const std::vector<std::uint8_t>& frame) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string line = direction == FrameDirection::Sent ? "->" : "<-";
    line.reserve(2 + 3 * frame.size());
    for (const std::uint8_t byte : frame) {
        line += ' ';
        line += kDigits[byte >> 4];
        line += kDigits[byte & 0x0F];
    }
    return line;
}

void ProtocolLog::append(const std::string& line) {
    lines_.push_back(line + '\n');
    bytes_ += lines_.back().size();
    while (bytes_ > kCapacity) {
        bytes_ -= lines_.front().size();
        lines_.pop_front();
    }
}

long ProtocolLog::take(char* text, std::size_t size) {
    if (size > 0) {
        text[0] = '\0';
    }
    if (!lines_.empty() && lines_.front().size() >= size) {
        return -1;
    }
    std::size_t moved = 0;
    while (!lines_.empty() && moved + lines_.front().size() < size) {
        const std::string& line = lines_.front();
        std::memcpy(text + moved, line.data(), line.size());
        moved += line.size();
        bytes_ -= line.size();
        lines_.pop_front();
    }
    if (size > 0) {
        text[moved] = '\0';
    }
    return static_cast<long>(moved);
}

void appendToProtocolLog(std::int32_t readerHandle, const std::string& line) {
    Logs& state = logs();
    const std::lock_guard lock(state.mutex);
    state.byReader[readerHandle].append(line);
}

std::int32_t takeFromProtocolLog(std::int32_t readerHandle, char* text, std::size_t size) {
    Logs& state = logs();
    const std::lock_guard lock(state.mutex);
    const auto found = state.byReader.find(readerHandle);
    if (found == state.byReader.end()) {
        if (size > 0) {
            text[0] = '\0';
        }
        return 0;
    }
    const long moved = found->second.take(text, size);
    return moved < 0 ? ZQKRT_ERR_BUFFER_TOO_SMALL : static_cast<std::int32_t>(moved);
}

} // namespace zqkrt_internal
