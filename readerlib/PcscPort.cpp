#include "PcscPort.h"

#include "CardStatus.h"
#include "zqcom.h"

#include <algorithm>
#include <array>
#include <limits>
#include <type_traits>
#include <vector>

namespace zqcom_internal {
namespace {

static_assert(std::is_same_v<LONG, PcscCode>);

// About the time a serial reader's 16-slot inventory takes.
constexpr std::chrono::milliseconds kCardWait{50};
// A reader list longer than this is no list the service would give.
constexpr DWORD kMaxReaderListBytes = 64 * 1024;

// The names of a multi-string: NUL-terminated names, an empty one ending the list. A list cut
// short keeps the whole names before the cut.
std::vector<std::string> splitReaderList(const std::vector<char>& list) {
    std::vector<std::string> names;
    std::size_t start = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i] != '\0') {
            continue;
        }
        if (i == start) {
            break;
        }
        names.emplace_back(list.data() + start, i - start);
        start = i + 1;
    }
    return names;
}

PcscCode listReaders(const PcscLibrary& library, SCARDCONTEXT context,
                     std::vector<std::string>& names) {
    DWORD size = 0;
    LONG code = library.listReaders(context, nullptr, nullptr, &size);
    if (code != SCARD_S_SUCCESS) {
        return code;
    }
    if (size > kMaxReaderListBytes) {
        return SCARD_E_INSUFFICIENT_BUFFER;
    }
    std::vector<char> list(size);
    code = library.listReaders(context, nullptr, list.data(), &size);
    if (code != SCARD_S_SUCCESS) {
        return code;
    }
    list.resize(std::min<std::size_t>(size, list.size()));
    names = splitReaderList(list);
    return SCARD_S_SUCCESS;
}

DWORD timeoutOf(std::chrono::milliseconds timeout) {
    return static_cast<DWORD>(std::clamp<std::chrono::milliseconds::rep>(
        timeout.count(), 0, std::numeric_limits<std::int32_t>::max()));
}

} // namespace

std::unique_ptr<PcscPort> PcscPort::open(std::size_t index, std::int32_t& status) {
    const PcscLibrary* library = pcscLibrary();
    if (library == nullptr) {
        status = readerlib::portOpenStatus(SCARD_E_NO_SERVICE);
        return nullptr;
    }
    SCARDCONTEXT context = 0;
    LONG code = library->establishContext(SCARD_SCOPE_SYSTEM, nullptr, nullptr, &context);
    if (code != SCARD_S_SUCCESS) {
        status = readerlib::portOpenStatus(code);
        return nullptr;
    }
    std::vector<std::string> names;
    code = listReaders(*library, context, names);
    if (code == SCARD_S_SUCCESS && index >= names.size()) {
        code = SCARD_E_UNKNOWN_READER;
    }
    if (code != SCARD_S_SUCCESS) {
        library->releaseContext(context);
        status = readerlib::portOpenStatus(code);
        return nullptr;
    }
    status = ZQCOM_OK;
    return std::unique_ptr<PcscPort>(new PcscPort(*library, context, names[index]));
}

PcscPort::PcscPort(const PcscLibrary& library, SCARDCONTEXT context, std::string name)
    : library_(library), context_(context), name_(std::move(name)) {}

PcscPort::~PcscPort() {
    releaseCard();
    library_.releaseContext(context_);
}

PcscCode PcscPort::readerState(std::chrono::milliseconds timeout, DWORD known, DWORD& state) {
    SCARD_READERSTATE reader{};
    reader.szReader = name_.c_str();
    reader.dwCurrentState = known & ~DWORD{SCARD_STATE_CHANGED};
    const LONG code = library_.getStatusChange(context_, timeoutOf(timeout), &reader, 1);
    if (code != SCARD_S_SUCCESS) {
        return code;
    }
    if ((reader.dwEventState & (SCARD_STATE_UNKNOWN | SCARD_STATE_UNAVAILABLE)) != 0) {
        return SCARD_E_READER_UNAVAILABLE;
    }
    state = reader.dwEventState;
    return SCARD_S_SUCCESS;
}

PcscCode PcscPort::checkReader(std::chrono::milliseconds timeout) {
    DWORD state = 0;
    return readerState(timeout, SCARD_STATE_UNAWARE, state);
}

PcscCode PcscPort::connectCard(std::chrono::milliseconds timeout) {
    if (card_) {
        return SCARD_S_SUCCESS;
    }
    DWORD state = 0;
    LONG code = readerState(timeout, SCARD_STATE_UNAWARE, state);
    if (code != SCARD_S_SUCCESS) {
        return code;
    }
    // Without a card the wait for one paces an inventory loop as a serial reader's air time
    // does, and a card laid meanwhile ends it at once.
    if ((state & SCARD_STATE_PRESENT) == 0) {
        code = readerState(std::min(timeout, kCardWait), state, state);
        if (code != SCARD_S_SUCCESS && code != SCARD_E_TIMEOUT) {
            return code;
        }
        if (code == SCARD_E_TIMEOUT || (state & SCARD_STATE_PRESENT) == 0) {
            return SCARD_E_NO_SMARTCARD;
        }
    }
    if ((state & SCARD_STATE_MUTE) != 0) {
        return SCARD_W_UNRESPONSIVE_CARD;
    }
    SCARDHANDLE card = 0;
    DWORD protocol = 0;
    const LONG connected =
        library_.connect(context_, name_.c_str(), SCARD_SHARE_SHARED,
                         SCARD_PROTOCOL_T0 | SCARD_PROTOCOL_T1, &card, &protocol);
    if (connected == SCARD_S_SUCCESS) {
        card_ = card;
        protocol_ = protocol;
    }
    return connected;
}

PcscCode PcscPort::transmit(const std::vector<std::uint8_t>& apdu,
                            std::vector<std::uint8_t>& reply) {
    reply.clear();
    if (!card_) {
        return SCARD_E_NO_SMARTCARD;
    }
    const SCARD_IO_REQUEST pci{protocol_, sizeof(SCARD_IO_REQUEST)};
    std::array<BYTE, MAX_BUFFER_SIZE> buffer{};
    DWORD length = buffer.size();
    const LONG code = library_.transmit(*card_, &pci, apdu.data(), static_cast<DWORD>(apdu.size()),
                                        nullptr, buffer.data(), &length);
    if (readerlib::cardConnectionLost(code)) {
        releaseCard();
        return code;
    }
    if (code != SCARD_S_SUCCESS) {
        return code;
    }
    if (length > buffer.size()) {
        return SCARD_E_INSUFFICIENT_BUFFER;
    }
    reply.assign(buffer.begin(), buffer.begin() + length);
    return SCARD_S_SUCCESS;
}

// The card is left as it is: powering it down makes the service look at it apart from its own
// watch, and a card taken away and laid again before the watch's next look then stays unseen.
void PcscPort::releaseCard() {
    if (card_) {
        library_.disconnect(*card_, SCARD_LEAVE_CARD);
        card_.reset();
    }
}

} // namespace zqcom_internal
