#include "scripted_peer.h"

#include "platform/port_registry.h"

#include <algorithm>
#include <filesystem>

namespace korvane::testing {

using sondrel::Bytes;

ScriptedPeer::ScriptedPeer(int comNumber, const std::string& portsFolder, Script script)
    : script_(std::move(script)) {
    sondrel::PortRegistry registry(portsFolder);
    registry.link(comNumber, pty_.devicePath());
    portEntry_ = registry.entryPath(comNumber);
    thread_ = std::thread([this] { run(); });
}

ScriptedPeer::~ScriptedPeer() {
    running_ = false;
    thread_.join();
    std::error_code ec;
    std::filesystem::remove(portEntry_, ec);
}

std::vector<Bytes> ScriptedPeer::frames() const {
    std::lock_guard lock(mutex_);
    return frames_;
}

void ScriptedPeer::run() {
    Bytes pending;
    while (running_) {
        const auto more = pty_.read(std::chrono::milliseconds(20));
        pending.insert(pending.end(), more.begin(), more.end());
        // Frames as the library writes them: 55 AA 01, then the length.
        for (;;) {
            const auto start = std::search(pending.begin(), pending.end(), std::begin(FrameHead),
                                           std::end(FrameHead));
            pending.erase(pending.begin(), start);
            if (pending.size() < 4 || pending.size() < pending[3]) break;
            const Bytes frame(pending.begin(), pending.begin() + pending[3]);
            pending.erase(pending.begin(), pending.begin() + pending[3]);
            {
                std::lock_guard lock(mutex_);
                frames_.push_back(frame);
            }
            const Bytes answer = script_(frame);
            if (!answer.empty()) pty_.write(answer);
        }
    }
}

Bytes replyFrame(std::uint8_t command, std::size_t length, std::span<const std::uint8_t> data) {
    Bytes buffer(length - 4, 0);
    buffer[0] = static_cast<std::uint8_t>(length);
    buffer[1] = command;
    std::copy_n(data.begin(), std::min(data.size(), length - 6), buffer.begin() + 2);
    return sondrel::buildFrame(buffer);
}

Bytes rotated(Bytes bytes, std::size_t by) {
    std::rotate(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(by % bytes.size()),
                bytes.end());
    return bytes;
}

} // namespace korvane::testing
