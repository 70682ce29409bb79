#include "Transponder.h"

namespace emulator {

std::optional<Transponder> makeTransponder(const Bytes& uid, std::uint8_t type, int blockCount,
                                           int blockSize) {
    if (uid.size() != kUidLength || uid[0] != kUidPrefix || blockCount < 1 ||
        blockCount > kMaxBlockCount || blockSize < 1 || blockSize > kMaxBlockSize) {
        return std::nullopt;
    }
    Transponder transponder;
    transponder.uid = uid;
    transponder.type = type;
    transponder.blockSize = static_cast<std::uint8_t>(blockSize);
    const auto size = static_cast<std::size_t>(blockSize);
    transponder.memory.assign(static_cast<std::size_t>(blockCount) * size, 0x00);
    for (Bytes& entry : transponder.customEntries) {
        entry.assign(size, 0x00);
    }
    return transponder;
}

} // namespace emulator
