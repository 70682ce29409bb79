#include "ComPortNames.h"

#include <filesystem>
#include <system_error>

namespace platform {
namespace {

bool isComPrefix(const std::string& name) {
    return (name[0] == 'C' || name[0] == 'c') && (name[1] == 'O' || name[1] == 'o') &&
           (name[2] == 'M' || name[2] == 'm');
}

} // namespace

std::string comPortDevice(const std::string& portName) {
    if (portName.size() != 4 || !isComPrefix(portName) || portName[3] < '1' || portName[3] > '9') {
        return portName;
    }
    const char digit = portName[3];
    const std::string link = std::string("dosdevices/com") + digit;
    // A dangling link still wins: a port whose emulator is gone must fail to open, not fall
    // through to the hardware port of the same number.
    std::error_code error;
    if (std::filesystem::exists(std::filesystem::symlink_status(link, error))) {
        return link;
    }
    return std::string("/dev/ttyS") + static_cast<char>(digit - 1);
}

} // namespace platform
