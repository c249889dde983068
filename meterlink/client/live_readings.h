// The figures of a live measurement: readings taken one after another, each
// a value or a failure, kept for the last few minutes, with the lowest,
// highest and latest value and how many readings a second came. The editor's
// Live page and `sondrel level --watch` show the same figures from here.
#pragma once

#include <cstddef>
#include <deque>
#include <optional>

namespace sondrel::client {

struct LiveReading {
    double seconds = 0;          // when it was taken, from any fixed start
    std::optional<double> value; // nullopt: the reading failed
    friend bool operator==(const LiveReading&, const LiveReading&) = default;
};

class LiveSeries {
  public:
    // Keeps the readings of the last spanSeconds (before the latest one).
    explicit LiveSeries(double spanSeconds = 300);

    // A reading, taken after every reading added before.
    void add(double seconds, std::optional<double> value);
    void clear() { readings_.clear(); }

    const std::deque<LiveReading>& readings() const { return readings_; }
    double spanSeconds() const { return spanSeconds_; }

    // Over the readings kept: lowest and highest value (nullopt when none was measured).
    std::optional<double> lowest() const;
    std::optional<double> highest() const;
    // The latest reading's value: nullopt before the first and when it failed,
    // never an earlier value in its place.
    std::optional<double> current() const;
    // Readings a second over the readings kept, failed ones too (0 with fewer than two).
    double readingsPerSecond() const;
    std::size_t failedCount() const;

  private:
    double spanSeconds_;
    std::deque<LiveReading> readings_;
};

} // namespace sondrel::client
