// Takes a fuzzer's bytes apart: single bytes for choices, counted runs of bytes
// for the pieces of a conversation. Past the end it yields zeros and empty runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace korvane::fuzzing {

class FuzzInput {
  public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : bytes_(data, size) {}

    bool empty() const { return bytes_.empty(); }
    std::uint8_t byte() {
        if (bytes_.empty()) return 0;
        const std::uint8_t b = bytes_.front();
        bytes_ = bytes_.subspan(1);
        return b;
    }
    // A run of at most count bytes.
    std::span<const std::uint8_t> take(std::size_t count) {
        const std::size_t n = count < bytes_.size() ? count : bytes_.size();
        const auto run = bytes_.first(n);
        bytes_ = bytes_.subspan(n);
        return run;
    }
    // A run whose length is the next byte.
    std::vector<std::uint8_t> counted() {
        const auto run = take(byte());
        return {run.begin(), run.end()};
    }
    std::span<const std::uint8_t> rest() { return take(bytes_.size()); }
    std::string restAsText() {
        const auto run = rest();
        return {run.begin(), run.end()};
    }

  private:
    std::span<const std::uint8_t> bytes_;
};

// Stops the run with a message when a property the format promises does not hold.
[[noreturn]] void fail(const std::string& what);
inline void check(bool holds, const std::string& what) {
    if (!holds) fail(what);
}

} // namespace korvane::fuzzing
