#include "live_readings.h"

#include <algorithm>

namespace sondrel::client {

LiveSeries::LiveSeries(double spanSeconds) : spanSeconds_(spanSeconds) {}

void LiveSeries::add(double seconds, std::optional<double> value) {
    readings_.push_back({seconds, value});
    while (readings_.front().seconds < seconds - spanSeconds_)
        readings_.pop_front();
}

std::optional<double> LiveSeries::lowest() const {
    std::optional<double> least;
    for (const LiveReading& r : readings_)
        if (r.value && (!least || *r.value < *least)) least = r.value;
    return least;
}

std::optional<double> LiveSeries::highest() const {
    std::optional<double> most;
    for (const LiveReading& r : readings_)
        if (r.value && (!most || *r.value > *most)) most = r.value;
    return most;
}

std::optional<double> LiveSeries::current() const {
    return readings_.empty() ? std::nullopt : readings_.back().value;
}

double LiveSeries::readingsPerSecond() const {
    if (readings_.size() < 2) return 0;
    const double elapsed = readings_.back().seconds - readings_.front().seconds;
    return elapsed > 0 ? static_cast<double>(readings_.size() - 1) / elapsed : 0;
}

std::size_t LiveSeries::failedCount() const {
    return static_cast<std::size_t>(
        std::count_if(readings_.begin(), readings_.end(), [](const auto& r) { return !r.value; }));
}

} // namespace sondrel::client
