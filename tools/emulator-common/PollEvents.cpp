#include "PollEvents.h"

namespace emulator {

short readyEvents(const std::vector<pollfd>& entries, int fd) {
    for (const pollfd& entry : entries) {
        if (entry.fd == fd) {
            return entry.revents;
        }
    }
    return 0;
}

} // namespace emulator
