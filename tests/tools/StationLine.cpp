#include "StationLine.h"

void listenOn(platform::SerialPort& port, int waitMs, bool untilQuiet, const ChunkTaker& take) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(waitMs);
    bool heardAny = false;
    while (Clock::now() < deadline) {
        if (!port.waitReadable(kQuietMs)) {
            if (untilQuiet && heardAny) {
                return;
            }
            continue;
        }
        std::uint8_t chunk[512];
        const long received = port.read(chunk, sizeof chunk);
        if (received <= 0) {
            continue;
        }
        heardAny = true;
        if (take(chunk, static_cast<std::size_t>(received))) {
            return;
        }
    }
}
