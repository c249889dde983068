// Writes the seed corpus of the meter_replies target: for every member, the
// replies the simulated meter gives it, in the target's input form.
//   make_meter_reply_seeds FOLDER
#include "member_calls.h"
#include "scripted_serial_device.h"

#include "command_table.h"
#include "frame_reader.h"
#include "handlers.h"
#include "meter_state.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

using namespace korvane;

// A meter answering from its own state, as the simulator does, remembering its
// replies in the fuzz target's form when asked to.
struct RecordingMeter {
    sim::MeterState state;
    sim::CommandTable table;
    std::vector<std::uint8_t> recorded;
    bool recording = false;

    RecordingMeter() {
        sim::registerLinkCommands(table, state);
        sim::registerPlanCommands(table, state);
        sim::registerMeasurementCommands(table, state);
        sim::registerStoredFileCommands(table, state);
        sim::registerSettingsCommands(table, state);
        sim::registerScreenCommands(table, state);
    }

    std::vector<std::uint8_t> answer(std::span<const std::uint8_t> frame) {
        sim::FrameReader reader;
        reader.feed(frame);
        std::vector<std::uint8_t> reply;
        if (auto received = reader.next())
            if (const sim::Handler* handler = table.find(received->command()))
                reply = (*handler)(*received).value_or(std::vector<std::uint8_t>{});
        if (recording) {
            recorded.push_back(0);
            recorded.push_back(static_cast<std::uint8_t>(reply.size()));
            recorded.insert(recorded.end(), reply.begin(), reply.end());
        }
        return reply;
    }
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_meter_reply_seeds FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    const auto calls = fuzzing::memberCalls();
    for (std::size_t i = 0; i < calls.size(); ++i) {
        RecordingMeter meter;
        auto connection = fuzzing::connectionOn(std::make_unique<fuzzing::ScriptedSerialDevice>(
            [&meter](std::span<const std::uint8_t> frame) { return meter.answer(frame); }));
        // A digital plan has to be in the slot before it can be read as one.
        if (calls[i].name == "ReadChannelDigi")
            for (const auto& other : calls)
                if (other.name == "CarryChannelDigi") other.call(*connection);
        meter.recorded = {static_cast<std::uint8_t>(i)};
        meter.recording = true;
        calls[i].call(*connection);
        std::ofstream out(folder / (std::string(calls[i].name) + ".seed"), std::ios::binary);
        out.write(reinterpret_cast<const char*>(meter.recorded.data()),
                  static_cast<std::streamsize>(meter.recorded.size()));
    }
    return 0;
}
