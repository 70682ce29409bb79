#pragma once

#include "CardChannel.h"
#include "PcscLibrary.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace zqcom_internal {

// A reader of the PC/SC service with the connection to the card it presents. Not locked: the
// port table's hold on the port guards it.
class PcscPort final : public CardChannel {
public:
    // Opens the reader at index in the service's reader list; null with the ZQCOM status in
    // status when the library, the service or the reader is not there.
    static std::unique_ptr<PcscPort> open(std::size_t index, std::int32_t& status);
    ~PcscPort() override;
    PcscPort(const PcscPort&) = delete;
    PcscPort& operator=(const PcscPort&) = delete;

    const std::string& readerName() const { return name_; }

    PcscCode checkReader(std::chrono::milliseconds timeout) override;
    PcscCode connectCard(std::chrono::milliseconds timeout) override;
    PcscCode transmit(const std::vector<std::uint8_t>& apdu,
                      std::vector<std::uint8_t>& reply) override;
    void releaseCard() override;

private:
    PcscPort(const PcscLibrary& library, SCARDCONTEXT context, std::string name);
    // The reader's state; with known other than SCARD_STATE_UNAWARE, once it differs from known.
    PcscCode readerState(std::chrono::milliseconds timeout, DWORD known, DWORD& state);

    const PcscLibrary& library_;
    SCARDCONTEXT context_;
    std::string name_;
    std::optional<SCARDHANDLE> card_;
    DWORD protocol_ = 0;
};

} // namespace zqcom_internal
