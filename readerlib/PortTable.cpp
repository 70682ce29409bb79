#include "PortTable.h"

#include "HandleTable.h"

namespace zqcom_internal {
namespace {

// One per port number; more only when a device link is re-pointed while its port is open.
constexpr std::size_t kMaxOpenPorts = 4;

struct Registry {
    std::mutex mutex;
    readerlib::HandleTable<PortEntry> ports{kMaxOpenPorts};
};

Registry& registry() {
    static Registry instance;
    return instance;
}

} // namespace

std::int32_t addPort(std::shared_ptr<PortEntry> port) {
    Registry& state = registry();
    const std::lock_guard lock(state.mutex);
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
    return withPortEntry(portHandle, [&access](PortEntry& port) {
        access(port.serial, port.parameters, port.activity);
    });
}

} // namespace zqcom_internal
