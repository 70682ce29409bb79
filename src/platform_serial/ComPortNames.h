#pragma once

#include <string>

namespace platform {

// Maps a "COMn" name (any case) to the device file behind it. A link "dosdevices/comn" in
// the working directory takes precedence, so an adapter or an emulator's pseudo-terminal can
// stand behind any name without a rebuild; otherwise COMn is /dev/ttyS(n-1).
// Anything that is not a COM name is returned unchanged, taken as a device path.
std::string comPortDevice(const std::string& portName);

} // namespace platform
