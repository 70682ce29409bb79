#pragma once

#include "SerialPort.h"

#include <string>

namespace platform {

// The POSIX side of SerialPort: the file descriptor and what the pseudo-terminal driver does not
// keep. The calls mean what SerialPort's do.
class SerialPortBackend {
public:
    SerialPortBackend() = default;
    ~SerialPortBackend();
    SerialPortBackend(const SerialPortBackend&) = delete;
    SerialPortBackend& operator=(const SerialPortBackend&) = delete;

    bool open(const std::string& portName);
    void close();
    bool isOpen() const { return fd_ >= 0; }
    bool getSettings(LineSettings& settings) const;
    bool setSettings(const LineSettings& settings);
    long write(const void* data, std::size_t count);
    long bytesWaiting() const;
    long read(void* buffer, std::size_t count);
    bool waitReadable(int timeoutMs) const;
    bool purgeReceive();
    SerialFailure lastFailure() const { return lastFailure_; }
    const std::string& lastError() const { return lastError_; }

private:
    bool fail(SerialFailure failure, const std::string& what) const;

    int fd_ = -1;
    bool pseudoTerminal_ = false;
    int pseudoTerminalDataBits_ = 8;
    mutable SerialFailure lastFailure_ = SerialFailure::None;
    mutable std::string lastError_;
};

} // namespace platform
