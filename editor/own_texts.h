// Texts the editor shows beyond its 144-entry string table, in Chinese and
// English, chosen by LanguageOffset like the table's. They live apart so the
// string table stays exactly as delivered.
#pragma once

#include <QString>

namespace plandex {

enum class OwnText {
    LibraryUnavailable,  // the meter link library could not be loaded
    SurveyCommand,       // the toolbar button that starts a level survey
    SurveyTitle,         // the survey window's title
    SurveyProgress,      // %1 channels of %2 measured
    SurveyColumnChannel, // table columns of the survey window
    SurveyColumnName,
    SurveyColumnType,
    SurveyColumnFrequency,
    SurveyColumnLevel, // %1 the level unit
    SurveyColumnCn,
    SurveyFailed,       // in place of a level or C/N that could not be read
    SurveyTilt,         // %1 the tilt in dB per 100 MHz
    SurveyNoTilt,       // too few channels measured for a tilt
    SurveyFavourites,   // %1 highest minus lowest favourite, dB
    SurveyNoFavourites, // no difference of favourites to show
    SurveyStopped,      // the survey was cancelled before its end
    SurveySaveCsv,      // buttons of the survey window
    SurveySavePng,
    SurveySaveFailed,     // %1 the file that could not be written
    SurveyMeterSilent,    // %1 channels failed from the first: the survey stopped
    SurveyPlanNotRead,    // the meter's active plan could not be read: nothing measured
    SurveyPlanEmpty,      // %1 the letter of the meter's active plan, which has no channels
    SurveyMeasuredPlan,   // %1 the letter of the meter's plan measured, %2 its channels
    SurveyUnitUnknown,    // the meter did not confirm the level unit
    SurveyDigiFavourites, // %1 highest minus lowest digital favourite, dB
    CancelTransfer,       // the button that stops a running transfer
    TransferStopped,      // the user stopped an Upload or a header send
    DownloadStopped,      // the user stopped a Download
    StopTransferToClose,  // closing the window during a transfer: stop it? (Yes/No)
    NoTypeCode,           // %1 row, %2 its STD CH, %3 Type, %4 Audio1: no type code
    TooManyChannels,      // %1 channels: more than a plan holds
    UnwritableField,      // %1 the field or row Save cannot write in the file's code page
    RefusedNameCharacter, // a STD CH the plan files cannot carry
    FileNotWritten,       // %1 the file Save could not write, %2 why
    // Why the plan database refused (StoreFailure), shown below what failed.
    StoreBusy,
    StoreReadOnly,
    StoreNotOpened,
    StoreDamaged,
    StoreDiskFull,
    StoreRowGone,
    StoreOther,
    // What failed in the plan database.
    PlanNotRead,             // the plan could not be read (nothing was saved or sent)
    CommandNotDone,          // %1 the command: it changed nothing
    EditNotWritten,          // %1 the channel's ID: its change stays in the grid
    CommandRefusedUnwritten, // %1 the command, refused while an edit is not written
    ReceivedPlanTooLarge,    // %1 channels the meter sent
    // Why a plan file could not be written (%2 of FileNotWritten).
    FileNoPermission,
    FileDiskFull,
    FileFolderMissing,
    FileWriteFailed,
    // Why the meter link failed (the library's failure kinds), shown under the message.
    MeterNoDevice,
    MeterPermission,
    MeterInUse,
    MeterNoAnswer,
    MeterWrongAnswer,
    MeterCodePage,
    MeterCancelled,
    MeterOther,
    // One editor per plan database.
    DatabaseInUse,     // %1 the database another editor has open
    DatabaseNotLocked, // %1 the database, %2 why its lock could not be taken
    StopSurveyToClose, // closing the window during a survey: stop it? (Yes/No)
    // The file dialogs' filters.
    PlanFilesFilter,
    AllFilesFilter,
    // The diagnostics on the start-up window: %1 library file, %2 reply check mode.
    Diagnostics,
    NoLibrary,   // in the diagnostics: no library loaded
    SessionEnds, // the session ends during a job with the meter: it was stopped
    // The Meter window: its command, title, state line and Stop.
    MeterCommand,      // the toolbar button that opens the Meter window
    MeterTitle,        // the window's title
    MeterStop,         // stops the window's running job
    MeterStatePort,    // %1 the port number
    MeterAnswers,      // the meter answered
    MeterAnswersModel, // %1 the model the meter gave
    // The Live page.
    MeterLivePage, // its tab

    // The Instrument page.
    MeterInstrumentPage, // its tab
    MeterInstrumentRead, // reads every setting the meter reports
    MeterModel,          // row labels
    MeterVolume,
    MeterLevelUnit,
    MeterTemperatureUnit,
    MeterBacklight,
    MeterSwitchOff,
    MeterStep,
    MeterLimits,
    MeterClock,
    MeterLineSpeed,
    MeterSet,              // sends one row's value
    MeterNotReported,      // the meter has no way to report this setting
    MeterReported,         // %1 the value the meter reported
    MeterNotRead,          // %1 why the reading failed
    MeterConfirmed,        // %1 the value set, reported back by the meter
    MeterDiffers,          // %1 the value sent, %2 what the meter reports instead
    MeterUnconfirmed,      // %1 the value sent to a meter that does not report it back
    MeterNotSet,           // %1 the value, %2 why it was not set
    MeterReadFailed,       // state line: reading the settings failed
    MeterSetFailed,        // state line: a change failed
    MeterClockSet,         // the clock's button
    MeterClockToSend,      // %1 the computer's date and time, before sending
    MeterClockSent,        // %1 the date and time sent
    MeterLineSpeedChange,  // the line speed's button
    MeterLineSpeedWarning, // %1 the new speed: asks before changing
    MeterLineSpeedNow,     // %1 the speed the meter now listens at

    // The Stored files page.
    MeterFilesPage, // its tab

    // The Screen page.
    MeterScreenPage,  // its tab
    MeterScreenForm,  // label of the block form picker
    MeterScreenSmall, // the forms
    MeterScreenBig,
    MeterScreenSize,      // label of the display's size
    MeterScreenCapture,   // copies the meter's screen
    MeterScreenZoom,      // label of the whole-number zoom
    MeterScreenSave,      // saves the picture as a PNG file
    MeterScreenCopy,      // copies the picture to the clipboard
    MeterScreenRefresh,   // check box: capture again every few seconds
    MeterScreenSeconds,   // the interval's unit
    MeterScreenCaptured,  // %1 width, %2 height, %3 time of the capture
    MeterScreenBadSize,   // the size is not WIDTHxHEIGHT with a width a multiple of 8
    MeterScreenTooBig,    // %1 the size, %2 bytes the meter sent
    MeterScreenFailed,    // state line: the capture failed
    MeterScreenNotSaved,  // %1 the file, %2 why
    MeterScreenPngFilter, // the save dialog's filter

    // The survey window's limits, history and report.
    SurveyLimits,   // label of the limits profile picker
    SurveyNoLimits, // the picker's entry for no check
    SurveySite,     // label of the site field
    SurveyKeep,     // buttons
    SurveyCompare,
    SurveySaveReport,
    SurveyPrint,
    SurveyHistory,
    SurveyColumnVerdict, // the table's verdict column
    SurveyKept,          // %1 the id the survey was kept as
    SurveyNeedSite,      // Keep or Compare without a site
    SurveyNothingKept,   // no kept survey of the site to compare with
    SurveyCompared,      // %1 channels flagged, %2 threshold dB, %3 the earlier survey's id
    SurveyHistoryTitle,  // the History window's title
    SurveyHistoryId,     // its column of survey ids
    SurveyHistoryFailed, // %1 why the history could not be read or written
};

// The text in the language of LanguageOffset. A %1 in it stands for the detail
// the caller fills in with QString::arg.
QString ownText(OwnText id);

} // namespace plandex
