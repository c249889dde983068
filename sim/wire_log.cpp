#include "wire_log.h"

#include <cstdio>

namespace korvane::sim {

std::string hexBytes(const sondrel::Bytes& bytes) {
    std::string out;
    char cell[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(cell, sizeof cell, i ? " %02X" : "%02X", bytes[i]);
        out += cell;
    }
    return out;
}

void WireLog::openFile(const std::string& path) {
    std::lock_guard lock(mutex_);
    file_.open(path, std::ios::app);
}

void WireLog::record(Direction direction, const sondrel::Bytes& bytes, bool checksumGood) {
    std::lock_guard lock(mutex_);
    entries_.push_back({direction, bytes, checksumGood});
    if (file_.is_open()) {
        file_ << (direction == Direction::ToMeter ? "> " : "< ") << hexBytes(bytes)
              << (checksumGood ? "" : " BADSUM") << '\n';
        file_.flush();
    }
}

std::vector<WireEntry> WireLog::entries() const {
    std::lock_guard lock(mutex_);
    return entries_;
}

std::vector<sondrel::Bytes> WireLog::framesToMeter() const {
    std::lock_guard lock(mutex_);
    std::vector<sondrel::Bytes> out;
    for (const auto& e : entries_)
        if (e.direction == Direction::ToMeter) out.push_back(e.bytes);
    return out;
}

void WireLog::clear() {
    std::lock_guard lock(mutex_);
    entries_.clear();
}

} // namespace korvane::sim
