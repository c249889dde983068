#include "serial_link.h"

#include "platform/port_registry.h"

#include <algorithm>
#include <array>
#include <sstream>
#include <stdexcept>

namespace sondrel {

LineSettings parseLineSettings(const std::string& text) {
    std::istringstream in(text);
    std::string baud, parity, data, stop;
    if (!std::getline(in, baud, ',') || !std::getline(in, parity, ',') ||
        !std::getline(in, data, ',') || !std::getline(in, stop))
        throw std::invalid_argument("line settings must read baud,parity,data,stop: " + text);
    LineSettings s;
    try {
        s.baud = static_cast<unsigned>(std::stoul(baud));
        s.dataBits = static_cast<unsigned>(std::stoul(data));
        s.stopBits = static_cast<unsigned>(std::stoul(stop));
    } catch (const std::exception&) {
        throw std::invalid_argument("line settings are not numbers: " + text);
    }
    switch (parity.empty() ? '?' : std::tolower(static_cast<unsigned char>(parity[0]))) {
    case 'n':
        s.parity = Parity::None;
        break;
    case 'o':
        s.parity = Parity::Odd;
        break;
    case 'e':
        s.parity = Parity::Even;
        break;
    case 'm':
        s.parity = Parity::Mark;
        break;
    case 's':
        s.parity = Parity::Space;
        break;
    default:
        throw std::invalid_argument("unknown parity in line settings: " + text);
    }
    if (s.baud == 0 || s.dataBits < 5 || s.dataBits > 8 || (s.stopBits != 1 && s.stopBits != 2))
        throw std::invalid_argument("line settings out of range: " + text);
    return s;
}

SerialLink::SerialLink(std::unique_ptr<SerialDevice> device) : device_(std::move(device)) {}

void SerialLink::setPortOpen(bool open) {
    if (!open) {
        device_->close();
        buffer_.clear();
        return;
    }
    if (device_->isOpen()) return;
    device_->open(PortRegistry().deviceToOpen(commPort_), line_);
    buffer_.clear();
}

void SerialLink::setSettings(const std::string& text) {
    LineSettings parsed = parseLineSettings(text);
    if (device_->isOpen()) device_->applySettings(parsed);
    line_ = parsed;
    settingsText_ = text;
}

void SerialLink::pump() {
    if (!device_->isOpen()) return;
    std::array<std::uint8_t, 512> chunk{};
    while (std::size_t n = device_->readAvailable(chunk)) {
        const std::size_t room =
            inBufferSize_ > buffer_.size() ? inBufferSize_ - buffer_.size() : 0;
        buffer_.insert(buffer_.end(), chunk.begin(), chunk.begin() + std::min(n, room));
    }
}

std::size_t SerialLink::inBufferCount() {
    pump();
    return buffer_.size();
}

void SerialLink::clearInBuffer() {
    if (device_->isOpen()) {
        device_->discardInput();
        pump();
    }
    buffer_.clear();
}

void SerialLink::output(std::span<const std::uint8_t> bytes) {
    if (!device_->isOpen()) throw SerialError("serial port is not open");
    device_->write(bytes);
}

Bytes SerialLink::input() {
    pump();
    const std::size_t take = inputLen_ == 0 ? buffer_.size() : std::min(inputLen_, buffer_.size());
    Bytes out(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(take));
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(take));
    return out;
}

bool SerialLink::waitForInput(std::size_t count, Clock::time_point deadline) {
    while (inBufferCount() < count) {
        const auto now = Clock::now();
        if (now >= deadline || !device_->isOpen()) return false;
        auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now);
        device_->waitReadable(left);
    }
    return true;
}

} // namespace sondrel
