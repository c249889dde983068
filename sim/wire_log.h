// Every frame that crossed the line, both ways, in hex: what the meter heard
// and what it said. Kept in memory for tests and optionally appended to a file.
#pragma once

#include "frame.h"

#include <fstream>
#include <mutex>
#include <string>
#include <vector>

namespace korvane::sim {

enum class Direction { ToMeter, FromMeter };

struct WireEntry {
    Direction direction;
    sondrel::Bytes bytes;
    bool checksumGood = true; // for frames to the meter
};

// "55 AA 01 06 2B CF"
std::string hexBytes(const sondrel::Bytes& bytes);

class WireLog {
  public:
    // Appends every entry to the file as well (one line each: "> hex" to the
    // meter, "< hex" from it, "> hex BADSUM" for a frame with a wrong checksum).
    void openFile(const std::string& path);
    void record(Direction direction, const sondrel::Bytes& bytes, bool checksumGood = true);
    std::vector<WireEntry> entries() const;
    // Frames the meter received, in order.
    std::vector<sondrel::Bytes> framesToMeter() const;
    void clear();

  private:
    mutable std::mutex mutex_;
    std::vector<WireEntry> entries_;
    std::ofstream file_;
};

} // namespace korvane::sim
