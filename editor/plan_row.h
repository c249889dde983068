// One channel of the plan as the table ChannelPlanUser holds it: the columns
// ID, CHName, Type, Freq and Audio1, in that order.
#pragma once

#include <QString>

namespace plandex {

struct PlanRow {
    int id = 0;        // ID: position in the plan, 1..n after every completed edit
    QString name;      // CHName: standard channel label, 1 to 3 characters
    QString type;      // Type: "TV" or "DIGI"
    double freq = 0;   // Freq: centre frequency in MHz
    double audio1 = 0; // Audio1: audio offset (TV) or bandwidth (DIGI) in MHz
    friend bool operator==(const PlanRow&, const PlanRow&) = default;
};

} // namespace plandex
