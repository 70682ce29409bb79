#include "ReaderRegistry.h"

#include "HandleTable.h"
#include "zqkrt.h"

#include <memory>
#include <mutex>

namespace zqkrt_internal {
namespace {

struct Registry {
    std::mutex mutex;
    readerlib::HandleTable<Reader> readers{ZQKRT_MAX_READERS};
};

Registry& registry() {
    static Registry instance;
    return instance;
}

} // namespace

std::int32_t addReader() {
    Registry& state = registry();
    const std::lock_guard lock(state.mutex);
    return state.readers.add(std::make_shared<Reader>());
}

bool withReader(std::int32_t readerHandle, const std::function<void(Reader&)>& use) {
    Registry& state = registry();
    const std::lock_guard lock(state.mutex);
    const std::shared_ptr<Reader> reader = state.readers.find(readerHandle);
    if (!reader) {
        return false;
    }
    use(*reader);
    return true;
}

} // namespace zqkrt_internal
