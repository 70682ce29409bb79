#include "ReaderState.h"

#include <algorithm>

namespace emulator {

Transponder* findTransponder(std::vector<Transponder>& field, const Bytes& hostUid) {
    const auto found = std::find_if(field.begin(), field.end(), [&](const Transponder& candidate) {
        return candidate.uid == hostUid;
    });
    return found == field.end() ? nullptr : &*found;
}

} // namespace emulator
