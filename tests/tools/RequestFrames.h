#pragma once

#include "WireFrame.h"

// Requests the tests send to the emulator, broadcast.
inline wire::Frame getBaud() {
    wire::Frame frame;
    frame.command = 0x52;
    return frame;
}

inline wire::Frame inventory() {
    wire::Frame frame;
    frame.command = 0xB0;
    frame.data = {0x01, 0x00};
    return frame;
}
