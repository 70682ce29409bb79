#include "PcscLibrary.h"

#include <dlfcn.h>
#include <memory>

namespace zqcom_internal {
namespace {

constexpr const char* kLibraryName = "libpcsclite.so.1";

template <typename Function> bool resolve(void* library, const char* name, Function& function) {
    function = reinterpret_cast<Function>(dlsym(library, name));
    return function != nullptr;
}

std::unique_ptr<PcscLibrary> load() {
    // Never closed: ports may use it until the process ends.
    void* library = dlopen(kLibraryName, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        return nullptr;
    }
    auto functions = std::make_unique<PcscLibrary>();
    const bool complete = resolve(library, "SCardEstablishContext", functions->establishContext) &&
                          resolve(library, "SCardReleaseContext", functions->releaseContext) &&
                          resolve(library, "SCardListReaders", functions->listReaders) &&
                          resolve(library, "SCardGetStatusChange", functions->getStatusChange) &&
                          resolve(library, "SCardConnect", functions->connect) &&
                          resolve(library, "SCardDisconnect", functions->disconnect) &&
                          resolve(library, "SCardTransmit", functions->transmit);
    return complete ? std::move(functions) : nullptr;
}

} // namespace

const PcscLibrary* pcscLibrary() {
    static const std::unique_ptr<PcscLibrary> library = load();
    return library.get();
}

} // namespace zqcom_internal
