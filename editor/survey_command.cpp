#include "survey_command.h"

#include "Form2.h"
#include "grid.h"
#include "messages.h"
#include "own_texts.h"
#include "survey_plan.h"
#include "survey_window.h"
#include "texts.h"
#include "transfer.h"
#include "twips.h"

#include <QComboBox>
#include <QLineEdit>

#include <memory>

namespace plandex {
namespace {

using sondrel::client::Survey;
using sondrel::client::SurveyPlan;
using sondrel::client::SurveyResult;

// What the worker's part of a survey brings back to the window.
struct SurveyOutcome {
    bool opened = false;
    Survey survey;
};

void MeasurePlan(sondrel::_KorvaneConnection* meter, MeterJobContext& job, const SurveyPlan& plan,
                 SurveyOutcome& out) {
    out.opened = openDeviceConnection(meter);
    if (!out.opened) return;
    out.survey = sondrel::client::runSurvey(
        *meter, plan, {}, [&job](const SurveyResult&, std::size_t done, std::size_t total) {
            job.reportProgress(static_cast<int>(done), static_cast<int>(total));
            return !job.stopRequested();
        });
}

SurveyPlan planOfTable(const Form2& form) {
    QStringList favourites;
    for (int element : FavouriteElements)
        favourites << form.Text1(element)->text();
    return surveyPlanOf(form.store().rows(OrderByFreq), favourites, form.Combo5()->currentText());
}

// A window of its own, closed and deleted with the main window.
void showSurvey(Form2& form, Survey survey) {
    auto* window = new SurveyWindow(std::move(survey), &form);
    window->setWindowFlag(Qt::Window);
    window->setAttribute(Qt::WA_DeleteOnClose);
    centreOnScreen(window);
    window->show();
    window->raise();
}

} // namespace

void surveyTablePlan(Form2& form) {
    // The grid shows the plan being measured, in the order it is measured.
    form.RefreshDataGrid(CommandText, SelectByFreq);
    const SurveyPlan plan = planOfTable(form);
    if (plan.channels.empty()) {
        ask(TextId::LoadPlanFirst, MessageStyle::Exclamation);
        return;
    }
    auto outcome = std::make_shared<SurveyOutcome>();
    startProgress(form);
    // The grid's caption counts the channels measured while the survey runs.
    Grid* grid = form.Fregtable();
    const QString caption = grid->caption();
    const auto counting =
        QObject::connect(form.Worker(), &MeterWorker::progress, grid, [grid](int done, int total) {
            grid->setCaption(ownText(OwnText::SurveyProgress).arg(done).arg(total));
        });
    form.runMeterJob(
        [plan, outcome](sondrel::_KorvaneConnection* meter, MeterJobContext& job) {
            MeasurePlan(meter, job, plan, *outcome);
        },
        [&form, outcome, counting, caption] {
            QObject::disconnect(counting);
            form.Fregtable()->setCaption(caption);
            endProgress(form);
            if (!outcome->opened) {
                ask(TextId::ConnectionFailed, MessageStyle::Exclamation);
                return;
            }
            showSurvey(form, std::move(outcome->survey));
        },
        TransferKind::Cancellable);
}

} // namespace plandex
