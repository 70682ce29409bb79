#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

enum class Parity { None, Even, Odd };

struct LineSettings {
    std::int32_t baud = 9600;
    int dataBits = 8;
    Parity parity = Parity::None;
    int stopBits = 1;
};

// Why the last operation of a SerialPort failed.
enum class SerialFailure {
    None,
    NoDevice, // nothing behind the name
    Busy,     // held by another open, in this or another process
    Settings, // line settings refused, or the device is no terminal
    Io,       // any other failure of the device
};

class SerialPortBackend;

// A serial port standing in for the Win32 serial calls; the operating system's side is a private
// backend (POSIX termios here), so that this header names no type of it.
// Opening is exclusive, also for root: a second open of the same device fails.
class SerialPort {
public:
    SerialPort();
    ~SerialPort();
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // portName is a "COMn" name (mapped through comPortDevice) or a device path.
    // The line is put into raw mode; its rate and frame stay as they were until setSettings.
    bool open(const std::string& portName);
    void close();
    bool isOpen() const;

    // A rate that is none of 1200..115200 reads as baud 0. On a pseudo-terminal, whose driver
    // keeps neither the character size nor the parity enable, the parity is read from the input
    // parity check (INPCK, which setSettings uses there as the parity's mark, with PARODD for odd),
    // as an emulator on the master side reads it too; the data bits are those last set.
    bool getSettings(LineSettings& settings) const;
    // Accepts the rates 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, data bits 5..8 and
    // stop bits 1 or 2; refuses anything else and leaves the line as it was.
    // Changes the rate and the frame only; on a real line the input parity check stays as it is.
    bool setSettings(const LineSettings& settings);

    // Blocks until every byte is handed to the driver; returns the count written, -1 on error.
    // A line that takes no byte for several seconds counts as an error.
    long write(const void* data, std::size_t count);
    // Bytes waiting in the receive queue; -1 when the query fails.
    long bytesWaiting() const;
    // Reads what is waiting, at most count bytes, without blocking; -1 on error.
    long read(void* buffer, std::size_t count);
    // Waits up to timeoutMs for at least one byte; false on time-out or error.
    bool waitReadable(int timeoutMs) const;
    bool purgeReceive();

    // The last failure, for callers that report its kind and for diagnostics.
    SerialFailure lastFailure() const;
    const std::string& lastError() const;

private:
    std::unique_ptr<SerialPortBackend> backend_;
};

} // namespace platform
