// What the simulated meter reads from outside: its state file (--state) and
// the byte stream on its line. A state it accepts is saved again holding every
// value the file gave it (a field dropped or changed on load shows), and the
// saved state reads back to the same state. Every frame the reader splits off
// is whole and checked, and the meter answers the good ones from its state as
// it would on the line.
//
// Input: a mode byte (even: state file text; odd: line bytes, fed in pieces
// whose sizes come from the following byte).
#include "answering_meter.h"
#include "fuzz_input.h"

#include "frame_reader.h"
#include "meter_state.h"

#include "common/option_texts.h"

#include <cctype>
#include <optional>
#include <set>

namespace {

using namespace korvane;
using korvane::fuzzing::check;

// A field's place in a state file with its array positions left out:
// "/plans/slots/3/name" is "/plans/slots/#/name".
std::string fieldOf(const std::string& pointer) {
    std::string field;
    for (std::size_t i = 0; i < pointer.size(); ++i) {
        const bool position = pointer[i] == '/' && i + 1 < pointer.size() &&
                              std::isdigit(static_cast<unsigned char>(pointer[i + 1]));
        field += pointer[i];
        if (!position) continue;
        field += '#';
        while (i + 1 < pointer.size() && pointer[i + 1] != '/')
            ++i;
    }
    return field;
}

// The texts a field that holds one of a few choices can take.
std::optional<std::set<std::string>> choicesOf(const std::string& pointer) {
    const auto textsOf = [](const sondrel::OptionTable& table) {
        std::set<std::string> texts;
        for (int code = 0; code < 256; ++code)
            if (const auto text = table.textOf(static_cast<std::uint8_t>(code)))
                texts.insert(*text);
        return texts;
    };
    if (pointer == "/settings/levelUnit") return textsOf(sondrel::LevelUnits);
    if (pointer == "/settings/temperatureUnit") return textsOf(sondrel::TemperatureUnits);
    if (pointer == "/settings/shutdown") return textsOf(sondrel::ShutdownTimes);
    if (pointer == "/settings/backlight") return textsOf(sondrel::BacklightTimes);
    if (pointer == "/screen/form") return std::set<std::string>{"small", "big"};
    if (pointer == "/screen/order")
        return std::set<std::string>{"ascending", "descending", "oddThenEven"};
    return std::nullopt;
}

// The fields a saved state holds: those of the demonstration state.
const std::set<std::string>& savedFields() {
    static const std::set<std::string> fields = [] {
        std::set<std::string> found;
        const nlohmann::json saved = nlohmann::json(sim::MeterState{}).flatten();
        for (const auto& [pointer, value] : saved.items())
            found.insert(fieldOf(pointer));
        return found;
    }();
    return fields;
}

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
    const nlohmann::json savedValues = saved.flatten();
    const nlohmann::json given = json.flatten();
    for (const auto& [pointer, value] : given.items()) {
        if (!savedFields().count(fieldOf(pointer))) continue; // not a field of the state
        if (const auto choices = choicesOf(pointer);
            choices && value.is_string() && !choices->count(value.get<std::string>()))
            continue; // a choice the meter does not have keeps the earlier one
        const auto kept = savedValues.find(pointer);
        // The display is kept in whole bytes of 8 pixels a row.
        if (pointer == "/screen/width" && value.is_number() && kept != savedValues.end()) {
            check(*kept == value.get<int>() / 8 * 8, "the state changed the display's width");
            continue;
        }
        check(kept != savedValues.end(), "the state dropped " + pointer + " on load");
        check(*kept == value || (value.is_number() && kept->is_number() &&
                                 value.get<double>() == kept->get<double>()),
              "the state changed " + pointer + " on load from " + value.dump() + " to " +
                  kept->dump());
    }
    sim::MeterState reread;
    saved.get_to(reread);
    check(nlohmann::json(reread) == saved, "a saved state does not read back the same");
}

void lineBytes(fuzzing::FuzzInput& input) {
    const std::size_t piece = 1 + input.byte() % 64;
    fuzzing::AnsweringMeter meter;
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
            if (const sim::Handler* handler = meter.table.find(frame->command())) {
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
