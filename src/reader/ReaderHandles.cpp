#include "ReaderHandles.h"

std::atomic<std::int32_t> PortHandle{0};
std::atomic<std::int32_t> ReaderHandle{0};
