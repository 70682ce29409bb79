#pragma once

#include <poll.h>
#include <vector>

namespace emulator {

// The events poll() reported for fd among entries; 0 when fd was not polled.
short readyEvents(const std::vector<pollfd>& entries, int fd);

} // namespace emulator
