// A simulated meter on a pseudo-terminal: it reads command frames, ignores
// those with a bad checksum, answers the rest from its state, and logs every
// frame. Runs on its own thread, so a test can drive the library against it in
// the same process; korvane-sim wraps it as a program.
#pragma once

#include "command_table.h"
#include "faults.h"
#include "frame_reader.h"
#include "meter_state.h"
#include "pty_endpoint.h"
#include "wire_log.h"

#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace korvane::sim {

struct SimulatorOptions {
    int comNumber = 0;       // register the line as COMn in the ports folder (0: do not)
    std::string portsFolder; // empty: the default ports folder
    std::string stateFile;   // load from and save to this file (empty: demo state, not saved)
    std::string wireLogFile; // also append the wire log to this file
    bool pacing = false;     // take frames and send replies at line speed
    std::optional<double> tiltPer100MHz;   // set the spectrum's tilt (and keep it in the state)
    std::vector<LevelOffset> levelOffsets; // set channels off their level (kept too)
    double wanderDb = 0;                   // let levels drift this far (not kept)
};

class MeterSimulator {
  public:
    explicit MeterSimulator(SimulatorOptions options = {});
    ~MeterSimulator();
    MeterSimulator(const MeterSimulator&) = delete;
    MeterSimulator& operator=(const MeterSimulator&) = delete;

    void start();
    void stop();

    const std::string& devicePath() const { return pty_.devicePath(); }
    // The ports-folder entry made for the line, if any.
    const std::string& portEntry() const { return portEntry_; }

    WireLog& wireLog() { return log_; }
    // Replaces the answer to one command (tests craft replies the model would not give).
    void setHandler(std::uint8_t command, Handler handler);
    FaultPlan& faults() { return faults_; }

    // Runs f on the meter's state under the simulator's lock.
    template <typename F> auto withState(F&& f) {
        std::lock_guard lock(stateMutex_);
        return f(state_);
    }

    // Writes the state to the state file now (also done by stop()).
    void saveState();

  private:
    void run();
    void handle(const ReceivedFrame& frame);

    SimulatorOptions options_;
    PtyEndpoint pty_;
    std::string portEntry_;
    FrameReader reader_;
    CommandTable table_;
    FaultPlan faults_;
    WireLog log_;
    std::mutex stateMutex_;
    MeterState state_;
    std::atomic<bool> running_{false};
    std::thread thread_;
};

} // namespace korvane::sim
