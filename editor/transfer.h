// Moving the plan between the table ChannelPlanUser and the meter's plan slot
// A: Upload (meter to table), Download (table to meter) and the header-only
// send of the side panel's Command3. The library calls run on the window's
// meter worker; the table, the controls and the messages stay on the window's
// thread, before the job starts and after it has ended.
#pragma once

#include "plan_store.h"

#include "korvane_interface.h"
#include "sondrel_types.h"

#include <QString>

#include <optional>

namespace plandex {

class Form2;

// The slot every transfer uses, and its letter in messages.
inline constexpr sondrel::UserPlanNumber PlanSlot = sondrel::UserPlanA;
inline constexpr const char* PlanSlotLetter = "A";
// Pause after a plan or header was sent, before the meter is reset.
inline constexpr int PauseAfterSendMs = 500;
// The progress bar's range and value until the first packet count arrives.
inline constexpr int ProgressMinimum = 1, ProgressMaximum = 100, ProgressStart = 2;

// On the worker: opens the meter's connection, as every job with the meter
// does first, at the line speed the meter was set to (meter_line_speed.h);
// false when the meter cannot be reached (or meter is nullptr).
bool openDeviceConnection(sondrel::_KorvaneConnection* meter);
// Shows the progress bar at its start; endProgress fills and hides it.
void startProgress(Form2& form);
void endProgress(Form2& form);

// Toolbar "Upload": reads slot A into the table and the side panel.
void uploadPlan(Form2& form);
// Toolbar "Download": sends the table, in frequency order, and the header to slot A.
void downloadPlan(Form2& form);
// Command3: sends only the header of the side panel.
void sendPlanHeader(Form2& form);

// The header of the side panel; nullopt when a favourite does not fit in a byte
// or the span not in 16 bits.
std::optional<sondrel::ChannelHead> headerFromControls(const Form2& form);
// Shows a received header in the side panel (the span also in SpanValue).
void showHeader(Form2& form, const sondrel::ChannelHead& head);

// The table's rows in frequency order as elements 1..n.
sondrel::SafeArray<sondrel::Channellist> BuildChannelArray(const PlanStore& store);
// The rows a received channel list makes: one per element up to the first
// with frequency 0, with IDs counted from the list's lower bound.
std::vector<PlanRow> receivedRows(const sondrel::SafeArray<sondrel::Channellist>& channels);

} // namespace plandex
