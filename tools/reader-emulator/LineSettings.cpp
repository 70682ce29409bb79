#include "LineSettings.h"

#include "LineTiming.h"

#include <array>
#include <cctype>
#include <charconv>
#include <termios.h>

namespace emulator {
namespace {

struct Rate {
    std::int32_t baud;
    speed_t code;
};

// In the order of the reader's rate index.
constexpr std::array<Rate, 8> kRates{{{115200, B115200},
                                      {57600, B57600},
                                      {38400, B38400},
                                      {19200, B19200},
                                      {9600, B9600},
                                      {4800, B4800},
                                      {2400, B2400},
                                      {1200, B1200}}};

} // namespace

std::optional<LineFrame> parseFrame(std::string_view text) {
    if (text.size() != 3 || text[0] != '8' || text[2] != '1') {
        return std::nullopt;
    }
    switch (std::toupper(static_cast<unsigned char>(text[1]))) {
    case 'N':
        return LineFrame::N81;
    case 'E':
        return LineFrame::E81;
    case 'O':
        return LineFrame::O81;
    default:
        return std::nullopt;
    }
}

std::string frameName(LineFrame frame) {
    switch (frame) {
    case LineFrame::N81:
        return "8N1";
    case LineFrame::E81:
        return "8E1";
    case LineFrame::O81:
        return "8O1";
    }
    return "8E1";
}

std::optional<std::uint8_t> rateIndex(std::int32_t baud) {
    for (std::size_t index = 0; index < kRates.size(); ++index) {
        if (kRates[index].baud == baud) {
            return static_cast<std::uint8_t>(index);
        }
    }
    return std::nullopt;
}

std::optional<std::int32_t> parseRate(std::string_view text) {
    std::int32_t baud = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), baud);
    if (error != std::errc() || end != text.data() + text.size() || !rateIndex(baud)) {
        return std::nullopt;
    }
    return baud;
}

int bitsPerCharacter(LineFrame frame) {
    return wire::bitsPerCharacter(frame != LineFrame::N81, 1);
}

std::string lineText(const Line& line) {
    return std::to_string(line.baud) + " " + frameName(line.frame);
}

Line lineFromTermios(const termios& attributes) {
    Line line;
    line.baud = 0;
    const speed_t speed = cfgetospeed(&attributes);
    for (const Rate& rate : kRates) {
        if (rate.code == speed) {
            line.baud = rate.baud;
        }
    }
    if ((attributes.c_iflag & INPCK) == 0) {
        line.frame = LineFrame::N81;
    } else {
        line.frame = (attributes.c_cflag & PARODD) != 0 ? LineFrame::O81 : LineFrame::E81;
    }
    return line;
}

} // namespace emulator
