// A meter that answers frames from its own state as the simulator does, with
// no line between: the reply target checks members against it, and the seed
// writer records its replies.
#pragma once

#include "member_calls.h"

#include "command_table.h"
#include "frame_reader.h"
#include "handlers.h"
#include "meter_state.h"

#include <span>
#include <string_view>
#include <vector>

namespace korvane::fuzzing {

struct AnsweringMeter {
    sim::MeterState state;
    sim::CommandTable table;

    AnsweringMeter() {
        sim::registerLinkCommands(table, state);
        sim::registerPlanCommands(table, state);
        sim::registerMeasurementCommands(table, state);
        sim::registerStoredFileCommands(table, state);
        sim::registerSettingsCommands(table, state);
        sim::registerScreenCommands(table, state);
    }

    // The meter's reply to one frame; none to a frame it ignores.
    std::vector<std::uint8_t> answer(std::span<const std::uint8_t> frame) {
        sim::FrameReader reader;
        reader.feed(frame);
        if (auto received = reader.next())
            if (const sim::Handler* handler = table.find(received->command()))
                return (*handler)(*received).value_or(std::vector<std::uint8_t>{});
        return {};
    }

    // Gives the meter what `member` reads: a digital plan in slot A, the big
    // screen, short file headers.
    void prepareFor(std::string_view member, sondrel::KorvaneConnection& connection) {
        if (member == "ReadSLMScreenBig") state.screen.form = sim::ScreenMemory::Form::Big;
        if (member == "ReadFileHead") state.files.headerForm = sim::HeaderForm::Short;
        if (member == "ReadChannelDigi")
            for (const auto& other : memberCalls())
                if (other.name == "CarryChannelDigi") other.call(connection);
    }
};

} // namespace korvane::fuzzing
