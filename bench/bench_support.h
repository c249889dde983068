// What every benchmark needs: a simulated meter on its own port in a private
// ports folder, a stopwatch and the process's processor time.
#pragma once

#include "level_survey.h"
#include "meter_simulator.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>

namespace korvane::bench {

inline constexpr int BenchPort = 9;

inline constexpr double SecondsPerByte = 10 / 9600.0; // 10 bits a byte at 9600 baud
// A digital channel's MER and BER (ReadDigi): the command (7 bytes) and its
// 14-byte reply, sent without a pause, as the channel power is.
inline constexpr double QualityFloor = (7 + 14) * SecondsPerByte;

// Starts a simulator registered as COM9 in a fresh temporary ports folder
// (SONDREL_PORTS points there for the rest of the process).
class BenchMeter {
  public:
    explicit BenchMeter(bool pacing);
    ~BenchMeter();
    sim::MeterSimulator& meter() { return *meter_; }

  private:
    std::string folder_;
    std::unique_ptr<sim::MeterSimulator> meter_;
};

double cpuSeconds();

// The meter's 60-channel demonstration plan (slot A) as a survey plan, read
// with ReadChannel; nullopt when it could not be read.
std::optional<sondrel::client::SurveyPlan> readDemoPlan(sondrel::_KorvaneConnection& link);

class Stopwatch {
  public:
    double seconds() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    }

  private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

} // namespace korvane::bench
