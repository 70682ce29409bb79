#include "PanelCommands.h"

#include "ControlWords.h"

#include <algorithm>
#include <charconv>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <iterator>

namespace bench {
namespace {

// E0 first and an unusual maker's serial, so no real catalogue is likely to list it.
constexpr std::uint64_t kForeignUid = 0xE0040100FFFFFF01;

std::string uidText(std::uint64_t uid) {
    char text[17];
    std::snprintf(text, sizeof text, "%016" PRIX64, uid);
    return text;
}

std::string trimmed(const std::string& text) {
    const std::size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) {
        return {};
    }
    return text.substr(begin, text.find_last_not_of(" \t") - begin + 1);
}

} // namespace

PanelCommand containerCommand(const std::string& uid, bool onReader) {
    return {Device::Reader, (onReader ? "place " : "remove ") + uid};
}

PanelCommand clearReaderCommand() {
    return {Device::Reader, "clear"};
}

PanelCommand weightCommand(const std::string& value) {
    return {Device::Balance, "weight " + trimmed(value)};
}

PanelCommand stableCommand(bool stable) {
    return {Device::Balance, stable ? "stable on" : "stable off"};
}

PanelCommand faultCommand(Device device, const std::string& kind) {
    return {device, "fault " + kind};
}

PanelCommand hangUpCommand(Device device) {
    return faultCommand(device, "hangup");
}

// Whatever the locale, which the application has set for the C library.
std::string gramsText(double grams) {
    char text[32];
    const auto end =
        std::to_chars(std::begin(text), std::end(text), grams, std::chars_format::fixed, 2);
    return end.ec == std::errc() ? std::string(text, end.ptr) : std::string("?");
}

const std::vector<std::string>& faultKinds(Device device) {
    static const std::vector<std::string> kReader{"none",   "silence", "garbage",  "noise",
                                                  "badcrc", "short",   "slow 2000"};
    static const std::vector<std::string> kBalance{"none", "silence", "garbage", "zeros", "flood"};
    return device == Device::Reader ? kReader : kBalance;
}

std::string foreignUid(const std::vector<std::string>& knownUids) {
    std::vector<std::string> known;
    known.reserve(knownUids.size());
    for (const std::string& uid : knownUids) {
        known.push_back(emulator::lowered(uid));
    }
    // Ends within known.size() + 1 steps: each step skips one known UID at most.
    for (std::uint64_t uid = kForeignUid;; ++uid) {
        const std::string text = uidText(uid);
        if (std::find(known.begin(), known.end(), emulator::lowered(text)) == known.end()) {
            return text;
        }
    }
}

} // namespace bench
