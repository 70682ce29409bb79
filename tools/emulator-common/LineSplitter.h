#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace emulator {

// Cuts a byte stream into text lines (LF or CR LF ends). A line longer than the limit is
// dropped whole and reported as overlong, so a peer cannot make the buffer grow without end.
class LineSplitter {
public:
    struct Piece {
        std::string text;
        bool overlong = false;
        bool endedByCrLf = false; // for peers where only CR LF ends a line
    };

    static constexpr std::size_t kDefaultLimit = 4096;

    explicit LineSplitter(std::size_t limit = kDefaultLimit) : limit_(limit) {}

    void feed(const char* bytes, std::size_t count);
    std::optional<Piece> next();
    // At the end of the stream: the last line if it had no end.
    std::optional<Piece> rest();

private:
    std::size_t limit_;
    std::string buffer_;
    bool discarding_ = false;
};

} // namespace emulator
