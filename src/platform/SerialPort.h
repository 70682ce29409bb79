#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

enum class Parity { None, Even, Odd };

struct LineSettings {
    std::int32_t baud = 9600;
    int dataBits = 8;
    Parity parity = Parity::None;
    int stopBits = 1;
};

// A serial port over POSIX termios, standing in for the Win32 serial calls.
// Opening is exclusive, also for root: a second open of the same device fails.
class SerialPort {
public:
    SerialPort() = default;
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // portName is a "COMn" name (mapped through comPortDevice) or a device path.
    bool open(const std::string& portName);
    void close();
    bool isOpen() const { return fd_ >= 0; }

    bool getSettings(LineSettings& settings) const;
    bool setSettings(const LineSettings& settings);

    // Blocks until every byte is handed to the driver; returns the count written, -1 on error.
    long write(const void* data, std::size_t count);
    // Bytes waiting in the receive queue; -1 when the query fails.
    long bytesWaiting() const;
    // Reads what is waiting, at most count bytes, without blocking; -1 on error.
    long read(void* buffer, std::size_t count);
    // Waits up to timeoutMs for at least one byte; false on time-out or error.
    bool waitReadable(int timeoutMs) const;
    bool purgeReceive();

    // Text of the last failure, for tests and diagnostics.
    const std::string& lastError() const { return lastError_; }

private:
    int fd_ = -1;
    std::string lastError_;
};

} // namespace platform
