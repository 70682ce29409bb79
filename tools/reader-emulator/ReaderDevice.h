#pragma once

#include "PcscFace.h"
#include "ReaderLine.h"

namespace emulator {

// The reader with all its faces: the serial line when there is one, and the PC/SC face when
// asked for. A hang-up drops every face.
class ReaderDevice : public LineDevice {
public:
    ReaderDevice(ReaderLine& line, PcscFace* pcsc) : line_(line), pcsc_(pcsc) {}

    ControlReply control(const std::string& line) override;
    void received(const std::uint8_t* bytes, std::size_t count, Clock::time_point now) override {
        line_.received(bytes, count, now);
    }
    std::optional<Clock::time_point> serve(PseudoTerminalLink& link,
                                           Clock::time_point now) override {
        return line_.serve(link, now);
    }
    void lineLost() override { line_.lineLost(); }

    void addPollEntries(std::vector<pollfd>& entries) const override;
    std::optional<Clock::time_point> servePolled(const std::vector<pollfd>& entries,
                                                 Clock::time_point now) override;

private:
    ReaderLine& line_;
    PcscFace* pcsc_;
};

} // namespace emulator
