#include "survey_plan.h"

#include <algorithm>

namespace plandex {

sondrel::client::SurveyPlan surveyPlanOf(const std::vector<PlanRow>& rows,
                                         const QStringList& favourites, const QString& unit) {
    sondrel::client::SurveyPlan plan;
    // Names as the survey of the meter's own plan gives them: without the
    // blanks that pad them to the meter's field.
    for (const PlanRow& row : rows)
        plan.channels.push_back({row.id, row.name.trimmed().toStdString(), row.type.toStdString(),
                                 sondrel::client::planMhz(static_cast<float>(row.freq))});
    for (const QString& text : favourites.mid(0, 6))
        plan.favourites.push_back(text.trimmed().toInt()); // 0 when not a number
    plan.unit = unit.trimmed() == QStringLiteral("dBmV") ? "dBmV" : "dBuV";
    return plan;
}

sondrel::client::SurveyPlan surveyPlanOf(const PlanFileContent& file) {
    // A Download numbers the rows as it sends them, in frequency order.
    std::vector<PlanRow> rows = file.rows;
    std::stable_sort(rows.begin(), rows.end(),
                     [](const PlanRow& a, const PlanRow& b) { return a.freq < b.freq; });
    int id = 0;
    for (PlanRow& row : rows)
        row.id = ++id;
    return surveyPlanOf(rows, file.footerValues.mid(0, 6), file.footerValues.value(6));
}

} // namespace plandex
