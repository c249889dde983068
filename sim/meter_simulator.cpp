#include "meter_simulator.h"

#include "handlers.h"
#include "platform/port_registry.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>

namespace korvane::sim {

MeterSimulator::MeterSimulator(SimulatorOptions options) : options_(std::move(options)) {
    if (!options_.stateFile.empty() && std::filesystem::exists(options_.stateFile)) {
        // A state file the meter cannot use is refused whole, naming the file and the field.
        try {
            std::ifstream in(options_.stateFile);
            nlohmann::json::parse(in).get_to(state_);
        } catch (const std::exception& e) {
            throw std::runtime_error("state file " + options_.stateFile + ": " + e.what());
        }
    }
    if (options_.tiltPer100MHz) state_.signal.tiltPer100MHz = *options_.tiltPer100MHz;
    for (const LevelOffset& offset : options_.levelOffsets)
        state_.signal.levelOffsets.set(offset);
    state_.signal.wander.db = options_.wanderDb;
    if (!options_.wireLogFile.empty()) log_.openFile(options_.wireLogFile);
    pty_.setPacing(options_.pacing);
    registerLinkCommands(table_, state_);
    registerPlanCommands(table_, state_);
    registerMeasurementCommands(table_, state_);
    registerStoredFileCommands(table_, state_);
    registerSettingsCommands(table_, state_);
    registerScreenCommands(table_, state_);
}

MeterSimulator::~MeterSimulator() {
    stop();
}

void MeterSimulator::start() {
    if (running_) return;
    if (options_.comNumber > 0) {
        sondrel::PortRegistry registry(options_.portsFolder.empty()
                                           ? sondrel::PortRegistry::defaultFolder()
                                           : options_.portsFolder);
        // An entry naming a device that is there belongs to a running meter
        // (or a real adapter): taking it over would leave that one unreachable.
        const std::string entry = registry.entryPath(options_.comNumber);
        std::error_code error;
        const auto named = std::filesystem::read_symlink(entry, error);
        if (!error && std::filesystem::exists(named, error))
            throw std::runtime_error("COM" + std::to_string(options_.comNumber) +
                                     " already names " + named.string() +
                                     ", a device that is there (another korvane-sim?); choose "
                                     "another number or stop that one");
        registry.link(options_.comNumber, pty_.devicePath());
        portEntry_ = entry;
    }
    running_ = true;
    thread_ = std::thread([this] { run(); });
}

void MeterSimulator::stop() {
    if (!running_.exchange(false)) return;
    thread_.join();
    if (!portEntry_.empty()) {
        // Only while it still names this line: someone may have linked it anew.
        std::error_code ec;
        if (std::filesystem::read_symlink(portEntry_, ec) == pty_.devicePath())
            std::filesystem::remove(portEntry_, ec);
        portEntry_.clear();
    }
    saveState();
}

void MeterSimulator::setHandler(std::uint8_t command, Handler handler) {
    std::lock_guard lock(stateMutex_);
    table_.on(command, std::move(handler));
}

void MeterSimulator::saveState() {
    if (options_.stateFile.empty()) return;
    nlohmann::json j;
    {
        std::lock_guard lock(stateMutex_);
        j = state_;
    }
    // Written beside and renamed, so an interrupted save keeps the old state.
    const std::string temp = options_.stateFile + ".tmp";
    {
        std::ofstream out(temp, std::ios::trunc);
        out << j.dump(1) << '\n';
        if (!out) return;
    }
    std::filesystem::rename(temp, options_.stateFile);
}

void MeterSimulator::run() {
    while (running_) {
        auto bytes = pty_.read(std::chrono::milliseconds(50));
        if (bytes.empty()) continue;
        reader_.feed(bytes);
        while (auto frame = reader_.next())
            handle(*frame);
    }
}

void MeterSimulator::handle(const ReceivedFrame& frame) {
    // A pseudo-terminal delivers at once; a real line takes 10 bits a byte.
    if (options_.pacing)
        std::this_thread::sleep_for(
            std::chrono::microseconds(frame.bytes.size() * 10'000'000 / std::max(pty_.baud(), 1u)));
    // Bytes sent at another speed than the meter's reach it garbled.
    const auto clientBaud = pty_.clientBaud();
    const bool garbled =
        clientBaud && *clientBaud != withState([](auto& s) { return s.link.baud; });
    log_.record(Direction::ToMeter, frame.bytes, frame.checksumGood && !garbled);
    if (!frame.checksumGood || garbled) return; // the meter ignores a damaged frame
    std::optional<sondrel::Bytes> reply;
    std::optional<unsigned> newBaud;
    {
        std::lock_guard lock(stateMutex_);
        if (const Handler* handler = table_.find(frame.command())) {
            try {
                reply = (*handler)(frame);
            } catch (const std::exception& e) {
                std::cerr << "korvane-sim: command " << std::hex << int(frame.command()) << std::dec
                          << " failed: " << e.what() << '\n';
            }
        }
        newBaud = state_.link.pendingBaud;
        state_.link.pendingBaud.reset();
        if (newBaud) state_.link.baud = *newBaud;
    }
    if (reply) {
        FaultAction action = faults_.apply(frame.command(), std::move(*reply));
        if (action.delayMs) std::this_thread::sleep_for(std::chrono::milliseconds(action.delayMs));
        if (action.closeLine) {
            pty_.closeLine();
        } else if (!action.reply.empty()) {
            pty_.write(action.reply);
            log_.record(Direction::FromMeter, action.reply);
        }
    }
    if (newBaud) pty_.setBaud(*newBaud);
}

} // namespace korvane::sim
