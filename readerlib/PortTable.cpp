#include "PortTable.h"

#include "HandleTable.h"

namespace zqcom_internal {
namespace {

// One per port number; more only when a device link is re-pointed while its port is open, or
// the service lists its readers anew. Four of each kind.
constexpr std::size_t kMaxOpenPortsOfAKind = 4;

struct Registry {
    std::mutex mutex;
    readerlib::HandleTable<PortEntry> ports{2 * kMaxOpenPortsOfAKind};

    // Under the mutex.
    std::size_t portsOfKind(bool card) const {
        std::size_t count = 0;
        for (std::int32_t handle = ports.nextAfter(0); handle > 0;
             handle = ports.nextAfter(handle)) {
            count += ports.find(handle)->cardPort == card ? 1 : 0;
        }
        return count;
    }
};

Registry& registry() {
    static Registry instance;
    return instance;
}

} // namespace

std::int32_t addPort(std::shared_ptr<PortEntry> port) {
    Registry& state = registry();
    const std::lock_guard lock(state.mutex);
    if (state.portsOfKind(port->cardPort) >= kMaxOpenPortsOfAKind) {
        return 0;
    }
    return state.ports.add(std::move(port));
}

std::int32_t addCardPort(std::shared_ptr<PortEntry> port) {
    Registry& state = registry();
    const std::lock_guard lock(state.mutex);
    for (std::int32_t handle = state.ports.nextAfter(0); handle > 0;
         handle = state.ports.nextAfter(handle)) {
        if (state.ports.find(handle)->parameters.readerName == port->parameters.readerName) {
            return -1;
        }
    }
    if (state.portsOfKind(true) >= kMaxOpenPortsOfAKind) {
        return 0;
    }
    return state.ports.add(std::move(port));
}

std::shared_ptr<PortEntry> findPort(std::int32_t portHandle) {
    Registry& state = registry();
    const std::lock_guard lock(state.mutex);
    return state.ports.find(portHandle);
}

void removePort(std::int32_t portHandle) {
    Registry& state = registry();
    const std::lock_guard lock(state.mutex);
    state.ports.remove(portHandle);
}

std::int32_t nextPortAfter(std::int32_t previous) {
    Registry& state = registry();
    const std::lock_guard lock(state.mutex);
    return state.ports.nextAfter(previous);
}

bool withPortEntry(std::int32_t portHandle, const std::function<void(PortEntry&)>& use) {
    const std::shared_ptr<PortEntry> port = findPort(portHandle);
    if (!port) {
        return false;
    }
    const std::lock_guard lock(port->mutex);
    if (!port->open) {
        return false;
    }
    use(*port);
    return true;
}

bool withOpenPort(std::int32_t portHandle, const PortAccess& access) {
    bool serial = false;
    withPortEntry(portHandle, [&](PortEntry& port) {
        serial = !port.card;
        if (serial) {
            access(port.serial, port.parameters, port.activity, port.cancels);
        }
    });
    return serial;
}

void cancelPortWaits(std::int32_t portHandle) {
    if (const std::shared_ptr<PortEntry> port = findPort(portHandle)) {
        ++port->cancels;
    }
}

bool withOpenCardPort(std::int32_t portHandle, const CardAccess& access) {
    bool card = false;
    withPortEntry(portHandle, [&](PortEntry& port) {
        card = port.card != nullptr;
        if (card) {
            access(*port.card, port.parameters);
        }
    });
    return card;
}

} // namespace zqcom_internal
