#pragma once

#include "PortRegistry.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

namespace zqcom_internal {

// An open port. Its mutex guards everything in it; open turns false when the port is closed
// while another call still holds the entry.
struct PortEntry {
    std::mutex mutex;
    platform::SerialPort serial;
    PortParameters parameters;
    LineActivity activity;
    bool open = true;
};

// The library's table of open ports, guarded by a mutex of its own. No call holds that mutex
// while it waits for a port's mutex.

// Returns the new handle, or 0 when no handle is left.
std::int32_t addPort(std::shared_ptr<PortEntry> port);
std::shared_ptr<PortEntry> findPort(std::int32_t portHandle);
void removePort(std::int32_t portHandle);
// The next open handle above previous, or 0.
std::int32_t nextPortAfter(std::int32_t previous);

// Runs use with the entry of an open port while holding it; false when there is none.
bool withPortEntry(std::int32_t portHandle, const std::function<void(PortEntry&)>& use);

} // namespace zqcom_internal
