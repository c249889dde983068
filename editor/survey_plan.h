// The editor's plan as the level survey takes it: the table's rows and the
// header's favourite and unit texts, from the main window or a plan file.
#pragma once

#include "level_survey.h"
#include "plan_file_format.h"
#include "plan_row.h"

#include <QStringList>
#include <vector>

namespace plandex {

// Channels known by their IDs; favourites 1 to 6 as typed (empty or not a
// number: none); the unit "dBmV" or anything else for dBuV. Frequencies as the
// single-precision decimals the meter would hold.
sondrel::client::SurveyPlan surveyPlanOf(const std::vector<PlanRow>& rows,
                                         const QStringList& favourites, const QString& unit);

// A plan file as the meter holds it once it is downloaded: channels numbered
// 1..n in frequency order, favourites from footer values 1 to 6 and the unit
// from value 7.
sondrel::client::SurveyPlan surveyPlanOf(const PlanFileContent& file);

} // namespace plandex
