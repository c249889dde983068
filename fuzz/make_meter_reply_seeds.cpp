// Writes the seed corpus of the meter_replies target: for every member, the
// replies the simulated meter gives it, in the target's input form, from the
// demonstration state and from states whose settings and signal differ, and
// one input of the target's known-values mode.
//   make_meter_reply_seeds FOLDER
#include "answering_meter.h"
#include "member_calls.h"
#include "scripted_serial_device.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

using namespace korvane;

constexpr int StatesPerMember = 4;

// State k of the seeds: k = 0 is the demonstration state.
void vary(sim::MeterState& state, int k) {
    auto& settings = state.settings;
    settings.volume = static_cast<std::uint8_t>((settings.volume + 4 * k) % 16);
    settings.temperatureUnit = static_cast<std::uint8_t>((settings.temperatureUnit + k) % 2);
    settings.shutdown = static_cast<std::uint8_t>((settings.shutdown + k) % 5);
    settings.variant = static_cast<std::uint8_t>((settings.variant + k) % 4);
    settings.model = static_cast<std::uint16_t>(settings.model + 100 * k);
    state.signal.videoLevel += 3.0 * k;
    state.signal.tiltPer100MHz -= 0.3 * k;
}

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
        for (int k = 0; k < StatesPerMember; ++k) {
            fuzzing::AnsweringMeter meter;
            vary(meter.state, k);
            std::vector<std::uint8_t> recorded;
            bool recording = false;
            auto connection = fuzzing::connectionOn(std::make_unique<fuzzing::ScriptedSerialDevice>(
                [&](std::span<const std::uint8_t> frame) {
                    auto reply = meter.answer(frame);
                    if (recording) {
                        recorded.push_back(0);
                        recorded.push_back(static_cast<std::uint8_t>(reply.size()));
                        recorded.insert(recorded.end(), reply.begin(), reply.end());
                    }
                    return reply;
                }));
            meter.prepareFor(calls[i].name, *connection);
            recorded = {static_cast<std::uint8_t>(i)};
            recording = true;
            calls[i].call(*connection);
            std::ofstream out(folder /
                                  (std::string(calls[i].name) + "-" + std::to_string(k) + ".seed"),
                              std::ios::binary);
            out.write(reinterpret_cast<const char*>(recorded.data()),
                      static_cast<std::streamsize>(recorded.size()));
        }
        // The same member in known-values mode: volume, temperature unit,
        // shutdown, variant, model (2 bytes) and active slot of the meter.
        const std::uint8_t known[] = {
            static_cast<std::uint8_t>(0x80 | i), 9, 1, 3, 1, 0x0B, 0xB8, 2};
        std::ofstream(folder / (std::string(calls[i].name) + "-known.seed"), std::ios::binary)
            .write(reinterpret_cast<const char*>(known), sizeof known);
    }
    return 0;
}
