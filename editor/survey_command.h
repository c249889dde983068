// Toolbar "Survey": measures every channel of the table's plan with the meter,
// on the window's meter worker like a transfer (locked window, progress,
// Cancel between channels), and shows the levels in a survey window.
#pragma once

namespace plandex {

class Form2;

// Starts the survey of the table's rows with the side panel's favourites and
// unit. An empty table, or a meter that cannot be reached, is told instead;
// the survey window, owned by form, opens when the survey ends or is stopped.
void surveyTablePlan(Form2& form);

} // namespace plandex
