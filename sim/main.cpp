// korvane-sim: a simulated signal level meter on a pseudo-terminal, for tests
// and demonstrations. Registers itself as COMn and answers until interrupted.
#include "meter_simulator.h"

#include <CLI/CLI.hpp>
#include <csignal>
#include <iostream>
#include <thread>

namespace {
volatile std::sig_atomic_t stopRequested = 0;
void onSignal(int) {
    stopRequested = 1;
}
} // namespace

int main(int argc, char** argv) {
    using namespace korvane::sim;
    CLI::App app{"Simulated signal level meter on a pseudo-terminal", "korvane-sim"};
    SimulatorOptions options;
    std::vector<std::string> faults, offsets;
    app.add_option("--com", options.comNumber, "register the line as port COMn (1-16)")
        ->check(CLI::Range(1, 16));
    app.add_option("--ports", options.portsFolder,
                   "ports folder (default: $SONDREL_PORTS or "
                   "~/.config/sondrel/ports)");
    app.add_option("--state", options.stateFile, "keep the meter's memory in this file");
    app.add_option("--wire-log", options.wireLogFile, "append every frame, in hex, to this file");
    app.add_option("--fault", faults,
                   "misbehave: COMMAND:KIND[=VALUE][,after=K][,times=T], COMMAND a hex "
                   "byte or 'any' (kinds below)");
    app.add_option("--tilt", options.tiltPer100MHz,
                   "level change of the carriers per 100 MHz, dB (negative: falling with "
                   "frequency); kept in --state");
    app.add_option("--offset", offsets,
                   "MHZ=DB: lift (or sink, negative) the channel at MHZ by DB, to show a channel "
                   "out of limits; 0 dB puts it back; kept in --state");
    app.add_option("--wander", options.wanderDb,
                   "let every level drift slowly up to DB either side (a living trace for live "
                   "readings; default 0: levels stand still); not kept in --state")
        ->check(CLI::Range(0.0, 20.0));
    app.add_flag("--pace", options.pacing,
                 "take frames and send replies at line speed (10 bits a byte)");
    app.set_version_flag("--version", "korvane-sim 1.25");
    app.footer("Fault kinds: noreply (no reply), truncate=K (only the first K bytes), badsum "
               "(wrong checksum), plainsum (plain sum instead of the checksum), extra=K (K bytes "
               "after the reply), garbage=K (K stray bytes before it), delay=MS (reply after MS "
               "milliseconds), close (hang the line up). after=K lets K matching frames through "
               "first; times=T spoils T replies (default: all from then on).\n"
               "Prints the device path, and the port entry with --com, then answers frames as "
               "the meter does until interrupted. --com refuses an entry that names a device "
               "that is there (another korvane-sim). In the state file, names are text of one "
               "character a byte (Latin-1), the meter's bytes in its code page.");
    CLI11_PARSE(app, argc, argv);

    try {
        for (const auto& o : offsets)
            options.levelOffsets.push_back(parseLevelOffset(o));
        MeterSimulator simulator(options);
        for (const auto& f : faults)
            simulator.faults().add(parseFaultRule(f));
        // Every way out removes the COMn entry: a hang-up of the terminal too.
        for (int signal : {SIGINT, SIGTERM, SIGHUP})
            std::signal(signal, onSignal);
        simulator.start();
        std::cout << "device " << simulator.devicePath() << '\n';
        if (!simulator.portEntry().empty())
            std::cout << "port COM" << options.comNumber << " " << simulator.portEntry() << '\n';
        std::cout.flush();
        while (!stopRequested)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        simulator.stop();
    } catch (const std::exception& e) {
        std::cerr << "korvane-sim: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
