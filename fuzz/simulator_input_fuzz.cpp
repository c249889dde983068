// What the simulated meter reads from outside: its state file (--state) and
// the byte stream on its line. A state it accepts is saved and read back to the
// same state. Every frame the reader splits off is whole and checked, and the
// meter answers the good ones from its state as it would on the line.
//
// Input: a mode byte (even: state file text; odd: line bytes, fed in pieces
// whose sizes come from the following byte).
#include "fuzz_input.h"

#include "command_table.h"
#include "frame_reader.h"
#include "handlers.h"
#include "meter_state.h"

namespace {

using namespace korvane;
using korvane::fuzzing::check;

void stateFile(fuzzing::FuzzInput& input) {
    const auto text = input.restAsText();
    const auto json = nlohmann::json::parse(text, nullptr, false);
    if (json.is_discarded()) return;
    sim::MeterState state;
    try {
        json.get_to(state);
    } catch (const nlohmann::json::exception&) {
        return; // the simulator refuses such a file with the reason
    } catch (const std::invalid_argument&) {
        return;
    } catch (const std::out_of_range&) {
        return;
    }
    const nlohmann::json saved = state;
    sim::MeterState reread;
    saved.get_to(reread);
    check(nlohmann::json(reread) == saved, "a saved state does not read back the same");
}

void lineBytes(fuzzing::FuzzInput& input) {
    const std::size_t piece = 1 + input.byte() % 64;
    sim::MeterState state;
    sim::CommandTable table;
    sim::registerLinkCommands(table, state);
    sim::registerPlanCommands(table, state);
    sim::registerMeasurementCommands(table, state);
    sim::registerStoredFileCommands(table, state);
    sim::registerSettingsCommands(table, state);
    sim::registerScreenCommands(table, state);
    sim::FrameReader reader;
    while (!input.empty()) {
        reader.feed(input.take(piece));
        while (auto frame = reader.next()) {
            const auto& bytes = frame->bytes;
            check(bytes.size() >= sondrel::FrameOverhead && bytes[0] == sondrel::FrameStart0 &&
                      bytes[1] == sondrel::FrameStart1 && bytes[2] == sondrel::FrameStart2 &&
                      bytes[3] == bytes.size(),
                  "the reader split off something that is not a whole frame");
            check(frame->checksumGood == sondrel::checksumMatches(bytes),
                  "the reader misjudged a checksum");
            if (!frame->checksumGood) continue;
            if (const sim::Handler* handler = table.find(frame->command())) {
                try {
                    if (auto reply = (*handler)(*frame))
                        check(reply->size() >= sondrel::FrameOverhead &&
                                  sondrel::checksumMatches(*reply),
                              "the meter answered with a broken frame");
                } catch (const std::exception&) {
                    // The simulator reports a command it cannot answer and goes on.
                }
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::FuzzInput input(data, size);
    if (input.byte() % 2 == 0)
        stateFile(input);
    else
        lineBytes(input);
    return 0;
}
