// A serial device with no line behind it: every frame written to it is answered
// at once by a function of the caller's, and the answer is there to read
// straight away. It counts as plugged in from the start, so no port needs to
// be registered for it.
#pragma once

#include "platform/serial_device.h"

#include <functional>
#include <vector>

namespace korvane::fuzzing {

using Answer = std::function<std::vector<std::uint8_t>(std::span<const std::uint8_t> frame)>;

class ScriptedSerialDevice final : public sondrel::SerialDevice {
  public:
    explicit ScriptedSerialDevice(Answer answer) : answer_(std::move(answer)) {}

    void open(const std::string&, const sondrel::LineSettings&) override { open_ = true; }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    void applySettings(const sondrel::LineSettings&) override {}
    void write(std::span<const std::uint8_t> bytes) override {
        const auto answer = answer_(bytes);
        pending_.insert(pending_.end(), answer.begin(), answer.end());
    }
    std::size_t readAvailable(std::span<std::uint8_t> into) override {
        const std::size_t n = std::min(into.size(), pending_.size());
        std::copy_n(pending_.begin(), n, into.begin());
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(n));
        return n;
    }
    bool waitReadable(std::chrono::milliseconds) override { return !pending_.empty(); }
    void discardInput() override { pending_.clear(); }

  private:
    Answer answer_;
    bool open_ = true;
    std::vector<std::uint8_t> pending_;
};

} // namespace korvane::fuzzing
