#include "survey_command.h"

#include "Form2.h"
#include "digital_quality.h"
#include "grid.h"
#include "messages.h"
#include "meter_connection.h"
#include "own_texts.h"
#include "survey_report_panel.h"
#include "survey_window.h"
#include "texts.h"
#include "transfer.h"
#include "twips.h"

#include <QPointer>
#include <QPushButton>

#include <memory>

namespace plandex {
namespace {

using sondrel::client::ActivePlan;
using sondrel::client::Survey;
using sondrel::client::SurveyResult;

// What the worker's part of a survey brings back to the window.
struct SurveyOutcome {
    bool opened = false;
    ActivePlan plan;
    Survey survey;
    std::string meterModel; // as the meter names itself; empty when it did not
    QString whyFailed;      // the library's reason for the last failure, when there was one
};

QString lastFailureText() {
    const auto library = meterLibrary();
    return library ? QString::fromStdString(library->lastFailure().text) : QString();
}

// While the plan is read, Cancel stops the read, but its packets are not
// counted: the progress the window shows is the channels measured.
int stopWithoutCounting(void* context, int, int) {
    return static_cast<MeterJobContext*>(context)->stopRequested() ? 0 : 1;
}

void MeasureMetersPlan(sondrel::_KorvaneConnection* meter, MeterJobContext& job,
                       SurveyOutcome& out) {
    out.opened = openDeviceConnection(meter);
    if (!out.opened) return;
    if (const auto library = meterLibrary())
        library->setTransferObserver(&stopWithoutCounting, &job);
    out.plan = sondrel::client::readActivePlan(*meter);
    if (out.plan.outcome != ActivePlan::Outcome::Read) {
        out.whyFailed = lastFailureText();
        return;
    }
    if (out.plan.plan.channels.empty() || job.stopRequested()) return;
    out.survey = sondrel::client::runSurvey(
        *meter, out.plan.plan, {},
        [&job](const SurveyResult&, std::size_t done, std::size_t total) {
            job.reportProgress(static_cast<int>(done), static_cast<int>(total));
            return !job.stopRequested();
        });
    if (out.survey.meterSilent) {
        out.whyFailed = lastFailureText();
        return;
    }
    // Once a survey, for its record; a meter that does not say leaves it unknown.
    std::string model;
    if (!sondrel::failed(meter->SLMType(&model))) out.meterModel = model;
}

// Reads MER and BER of the survey's digital channels on the window's meter
// worker, like the survey itself, and hands them to the window's checks.
void readQuality(Form2& form, SurveyWindow* window) {
    auto readings = std::make_shared<std::vector<sondrel::client::DigitalQualityReading>>();
    auto opened = std::make_shared<bool>(false);
    const Survey survey = window->survey();
    startProgress(form);
    form.runMeterJob(
        [survey, readings, opened](sondrel::_KorvaneConnection* meter, MeterJobContext& job) {
            *opened = openDeviceConnection(meter);
            if (!*opened) return;
            *readings = sondrel::client::readDigitalQuality(
                *meter, survey, [&job](const SurveyResult&, std::size_t done, std::size_t total) {
                    job.reportProgress(static_cast<int>(done), static_cast<int>(total));
                    return !job.stopRequested();
                });
        },
        [&form, window = QPointer<SurveyWindow>(window), readings, opened] {
            endProgress(form);
            if (!*opened) {
                ask(TextId::ConnectionFailed, MessageStyle::Exclamation);
                return;
            }
            // The window may have closed, or shown another survey meanwhile.
            if (window && !form.Worker()->stopRequested())
                window->reportPanel()->setQuality(std::move(*readings));
        },
        TransferKind::Cancellable);
}

// A message with the library's reason, when it gave one, on a line of its own.
void tellWithReason(const QString& text, const QString& reason) {
    tell(reason.isEmpty() ? text : text + QStringLiteral("\n") + reason, MessageStyle::Exclamation);
}

// The main window's survey window, made on the first survey and reused after.
void showSurvey(Form2& form, Survey survey, const QString& source, const std::string& meterModel) {
    SurveyWindow* window = form.findChild<SurveyWindow*>(QString(), Qt::FindDirectChildrenOnly);
    if (window) {
        window->setSurvey(std::move(survey), source, meterModel);
    } else {
        window = new SurveyWindow(std::move(survey), source, &form, meterModel);
        window->setWindowFlag(Qt::Window);
        window->setAttribute(Qt::WA_DeleteOnClose);
        centreOnScreen(window);
        QObject::connect(window->reportPanel()->readQualityButton(), &QPushButton::clicked, window,
                         [&form, window] { readQuality(form, window); });
    }
    window->show();
    window->raise();
    window->activateWindow();
}

// Says what ended a survey that has nothing to show; false when there is a survey to show.
bool toldWhyNothingToShow(const SurveyOutcome& outcome, bool stopped) {
    if (!outcome.opened) {
        ask(TextId::ConnectionFailed, MessageStyle::Exclamation);
        return true;
    }
    switch (outcome.plan.outcome) {
    case ActivePlan::Outcome::SlotUnknown:
    case ActivePlan::Outcome::NotRead:
        // A plan read the user stopped needs no message.
        if (!stopped) tellWithReason(ownText(OwnText::SurveyPlanNotRead), outcome.whyFailed);
        return true;
    case ActivePlan::Outcome::Read:
        break;
    }
    if (outcome.plan.plan.channels.empty()) {
        tell(ownText(OwnText::SurveyPlanEmpty).arg(QChar(outcome.plan.slot)),
             MessageStyle::Exclamation);
        return true;
    }
    if (outcome.survey.results.empty()) return true; // stopped before the first channel
    if (outcome.survey.meterSilent) {
        tellWithReason(ownText(OwnText::SurveyMeterSilent).arg(outcome.survey.results.size()),
                       outcome.whyFailed);
        return true;
    }
    return false;
}

} // namespace

void surveyTablePlan(Form2& form) {
    auto outcome = std::make_shared<SurveyOutcome>();
    startProgress(form);
    // The grid's caption counts the channels measured while the survey runs.
    Grid* grid = form.Fregtable();
    const QString caption = grid->caption();
    const auto counting =
        QObject::connect(form.Worker(), &MeterWorker::progress, grid, [grid](int done, int total) {
            grid->setCaption(ownText(OwnText::SurveyProgress).arg(done).arg(total));
        });
    form.runMeterJob([outcome](sondrel::_KorvaneConnection* meter,
                               MeterJobContext& job) { MeasureMetersPlan(meter, job, *outcome); },
                     [&form, outcome, counting, caption] {
                         QObject::disconnect(counting);
                         form.Fregtable()->setCaption(caption);
                         endProgress(form);
                         if (toldWhyNothingToShow(*outcome, form.Worker()->stopRequested())) return;
                         const QString source = ownText(OwnText::SurveyMeasuredPlan)
                                                    .arg(QChar(outcome->plan.slot))
                                                    .arg(outcome->plan.plan.channels.size());
                         showSurvey(form, std::move(outcome->survey), source, outcome->meterModel);
                     },
                     TransferKind::Cancellable);
}

} // namespace plandex
