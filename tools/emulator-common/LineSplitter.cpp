#include "LineSplitter.h"

namespace emulator {
namespace {

LineSplitter::Piece pieceOf(std::string text, bool ended) {
    const bool carriageReturn = !text.empty() && text.back() == '\r';
    if (carriageReturn) {
        text.pop_back();
    }
    return LineSplitter::Piece{std::move(text), false, ended && carriageReturn};
}

} // namespace

void LineSplitter::feed(const char* bytes, std::size_t count) {
    buffer_.append(bytes, count);
}

std::optional<LineSplitter::Piece> LineSplitter::next() {
    const std::size_t end = buffer_.find('\n');
    if (end == std::string::npos) {
        if (buffer_.size() > limit_) {
            discarding_ = true;
            buffer_.clear();
        }
        return std::nullopt;
    }
    std::string line = buffer_.substr(0, end);
    buffer_.erase(0, end + 1);
    if (discarding_ || line.size() > limit_) {
        discarding_ = false;
        return Piece{{}, true};
    }
    return pieceOf(std::move(line), true);
}

std::optional<LineSplitter::Piece> LineSplitter::rest() {
    if (auto piece = next()) {
        return piece;
    }
    if (discarding_) {
        discarding_ = false;
        buffer_.clear();
        return Piece{{}, true};
    }
    if (buffer_.empty()) {
        return std::nullopt;
    }
    std::string line = std::move(buffer_);
    buffer_.clear();
    return pieceOf(std::move(line), false);
}

} // namespace emulator
