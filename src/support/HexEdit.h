#pragma once

#include <string>

// A block of bytes laid out as lines of equal size, turned into a hex dump text: per line the
// title, the line index, the bytes in hex and the same bytes as characters.
//
// Sizes may come from device replies, so they are bounded: a negative line count, byte count
// per line or first line counts as 0. A layout of more than kMaxLineCount lines, or of more
// than kMaxDataBytes bytes in all or on one line, is refused: the view keeps its title and
// becomes empty (0 lines of 0 bytes). A load that would make the data longer than
// kMaxDataBytes is refused and leaves the data as it was.
class THexEdit {
public:
    static constexpr int kMaxLineCount = 65536;
    static constexpr int kMaxDataBytes = 1 << 20;

    THexEdit(const std::string& title, int lineCount, int bytesPerLine);

    // Sets the layout and fills the data with zeros of the new size; false when refused.
    bool SetLayout(int lineCount, int bytesPerLine);
    void GetLayout(int& lineCount, int& bytesPerLine) const;

    void SetTitle(const std::string& title) { title_ = title; }
    const std::string& Title() const { return title_; }

    // Overwrites the data from the start of firstLine with bytes; the data grows when bytes
    // reach past its end, and bytes are appended when firstLine starts at or beyond the end.
    // Empty bytes change nothing. False when refused for size.
    bool LoadData(int firstLine, const std::string& bytes);

    // One line per line index, each ended by CR LF; bytes beyond the last line are not shown.
    // The index is right-aligned in three places; from line 1000 on the line grows.
    std::string DumpText() const;

    // The bytes, at least line count x bytes per line of them.
    const std::string& Data() const { return data_; }

private:
    int bytesPerLine_ = 0;
    int lineCount_ = 0;
    std::string title_;
    std::string data_;
};
