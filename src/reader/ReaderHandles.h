#pragma once

#include <atomic>
#include <cstdint>

// The reader's two handles, owned by the main window and handed by reference to the windows,
// threads and steps that use them. Both are atomic: the UI thread writes them and, during a
// search, so does the search thread.
class ReaderHandles {
public:
    // The one open reader port (0: none).
    std::atomic<std::int32_t> PortHandle{0};
    // The reader of the latest show of the main window (0: none yet).
    std::atomic<std::int32_t> ReaderHandle{0};
};
