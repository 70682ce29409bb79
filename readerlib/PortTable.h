#pragma once

#include "PortRegistry.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

namespace zqcom_internal {

// An open port: a serial line, or a PC/SC reader in card. Its mutex guards everything in it;
// open turns false when the port is closed while another call still holds the entry.
struct PortEntry {
    std::mutex mutex;
    platform::SerialPort serial;
    std::unique_ptr<CardChannel> card;
    // Set before the entry goes into the table and never changed, as the reader's name: the
    // table reads both without the entry's mutex.
    bool cardPort = false;
    PortParameters parameters;
    LineActivity activity;
    // Also counted without the mutex, while an access holds it.
    CancelCount cancels{0};
    bool open = true;
};

// The library's table of open ports, guarded by a mutex of its own. No call holds that mutex
// while it waits for a port's mutex.

// Returns the new handle, or 0 when no handle is left.
std::int32_t addPort(std::shared_ptr<PortEntry> port);
// The same for a PC/SC port; -1 when an open port has the same reader already.
std::int32_t addCardPort(std::shared_ptr<PortEntry> port);
std::shared_ptr<PortEntry> findPort(std::int32_t portHandle);
void removePort(std::int32_t portHandle);
// The next open handle above previous, or 0.
std::int32_t nextPortAfter(std::int32_t previous);

// Runs use with the entry of an open port while holding it; false when there is none.
bool withPortEntry(std::int32_t portHandle, const std::function<void(PortEntry&)>& use);

} // namespace zqcom_internal
