// Toolbar "Survey": measures every channel of the plan the meter holds (its
// active plan, read first, so that digital channels are asked for by the
// meter's own numbers), on the window's meter worker like a transfer (locked
// window, progress, Cancel between channels), asks the meter its model once,
// and shows the levels in the main window's survey window, whose "Read MER and
// BER" reads the digital channels' quality on the same worker.
#pragma once

namespace plandex {

class Form2;

// Starts the survey. A meter that cannot be reached, whose plan cannot be read
// or is empty, or that stops answering is told instead; the survey window,
// owned by form and reused by every survey, opens when the survey ends or is
// stopped.
void surveyTablePlan(Form2& form);

} // namespace plandex
