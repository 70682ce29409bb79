#pragma once

#include <atomic>
#include <cstdint>

// The one open reader port (0: none) and the reader of the latest show of the main window
// (0: none yet). Written by the UI thread and, during a search, by the search thread.
extern std::atomic<std::int32_t> PortHandle;
extern std::atomic<std::int32_t> ReaderHandle;
