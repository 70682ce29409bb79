#include "SerialPort.h"

#include "SerialPortBackend.h"

namespace platform {

SerialPort::SerialPort() : backend_(std::make_unique<SerialPortBackend>()) {}

SerialPort::~SerialPort() = default;

bool SerialPort::open(const std::string& portName) {
    return backend_->open(portName);
}

void SerialPort::close() {
    backend_->close();
}

bool SerialPort::isOpen() const {
    return backend_->isOpen();
}

bool SerialPort::getSettings(LineSettings& settings) const {
    return backend_->getSettings(settings);
}

bool SerialPort::setSettings(const LineSettings& settings) {
    return backend_->setSettings(settings);
}

long SerialPort::write(const void* data, std::size_t count) {
    return backend_->write(data, count);
}

long SerialPort::bytesWaiting() const {
    return backend_->bytesWaiting();
}

long SerialPort::read(void* buffer, std::size_t count) {
    return backend_->read(buffer, count);
}

bool SerialPort::waitReadable(int timeoutMs) const {
    return backend_->waitReadable(timeoutMs);
}

bool SerialPort::purgeReceive() {
    return backend_->purgeReceive();
}

SerialFailure SerialPort::lastFailure() const {
    return backend_->lastFailure();
}

const std::string& SerialPort::lastError() const {
    return backend_->lastError();
}

} // namespace platform
