#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

// A PC/SC reader as the port library opens it, seen by the reader library. Every call gives the
// PC/SC return code of the step (SCARD_S_SUCCESS or an SCARD_E_... / SCARD_W_... code); the
// reader library alone turns them into its statuses.
namespace zqcom_internal {

using PcscCode = long;

class CardChannel {
public:
    virtual ~CardChannel() = default;

    // Success while the service lists the reader, card or not; waits at most timeout.
    virtual PcscCode checkReader(std::chrono::milliseconds timeout) = 0;
    // Connects to the card the reader presents, or keeps the connection there is; waits at most
    // timeout for the reader's state. SCARD_E_NO_SMARTCARD when the reader presents none, after
    // a short wait for one.
    virtual PcscCode connectCard(std::chrono::milliseconds timeout) = 0;
    // One command APDU to the connected card; reply gets what came back, status word included.
    virtual PcscCode transmit(const std::vector<std::uint8_t>& apdu,
                              std::vector<std::uint8_t>& reply) = 0;
    // Drops the connection to the card: the next connect makes it anew.
    virtual void releaseCard() = 0;
};

} // namespace zqcom_internal
