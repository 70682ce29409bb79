#pragma once

#include <string>
#include <vector>

namespace bench {

enum class Device { Reader, Balance };

// One control line and the emulator it is for.
struct PanelCommand {
    Device device = Device::Reader;
    std::string line;

    bool operator==(const PanelCommand&) const = default;
};

// The panel's actions as control lines; the emulators check the values themselves.
PanelCommand containerCommand(const std::string& uid, bool onReader);
PanelCommand clearReaderCommand();
PanelCommand weightCommand(const std::string& value);
PanelCommand stableCommand(bool stable);
PanelCommand faultCommand(Device device, const std::string& kind);
PanelCommand hangUpCommand(Device device);

// Grams as the balance takes them, to the hundredth.
std::string gramsText(double grams);

// The lasting faults each emulator offers, "none" first.
const std::vector<std::string>& faultKinds(Device device);

// A UID that none of the known ones is: the foreign container's.
std::string foreignUid(const std::vector<std::string>& knownUids);

} // namespace bench
