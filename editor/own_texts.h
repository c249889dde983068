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
    MeterLivePage,          // its tab
    MeterLiveChannel,       // label of the channel list
    MeterLiveTyped,         // the list's entry for a typed frequency
    MeterLiveFrequency,     // label of the frequency field, MHz
    MeterLiveStart,         // starts the live readings
    MeterLiveCn,            // reads C/N once
    MeterLiveOffset,        // reads the carrier offset once
    MeterLiveLevel,         // %1 the level
    MeterLiveFailed,        // in place of a reading that failed
    MeterLiveNoReading,     // before the first reading
    MeterLivePower,         // %1 channel power, %2 dB against the average
    MeterLiveMer,           // %1 MER in dB
    MeterLiveBer,           // %1 the bit-error ratio
    MeterLiveNotLocked,     // the receiver did not lock
    MeterLiveNoBitErrors,   // no bit errors counted
    MeterLiveTooManyErrors, // more bit errors than the meter counts
    MeterLiveCnResult,      // %1 C/N in dB
    MeterLiveOffsetResult,  // %1 the offset in MHz
    MeterLiveCnNotRead,     // C/N could not be read
    MeterLiveOffsetNotRead, // the carrier offset could not be read
    MeterLiveFigures,       // %1 lowest, %2 highest, %3 current
    MeterLivePace,          // %1 readings a second, %2 the most the meter's pauses allow
    MeterLiveBadFrequency,  // the typed frequency is not one the meter tunes to
    MeterLiveReadingFailed, // what failed, on the state line

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
    MeterFilesPage,       // its tab
    MeterFilesHeaderForm, // label of the header form picker
    MeterFilesFormModel,  // the picker's entries: as the meter's model says,
    MeterFilesFormLong,   // long headers,
    MeterFilesFormShort,  // short headers
    MeterFilesList,       // buttons
    MeterFilesRead,
    MeterFilesReadAll,
    MeterFilesDelete,
    MeterFilesColumnNumber, // the list's columns
    MeterFilesColumnName,
    MeterFilesColumnDate,
    MeterFilesColumnTime,
    MeterFilesColumnKinds,
    MeterFilesColumnPlan,
    MeterFilesChooseFolder,  // the folder dialog's title
    MeterFilesConfirmDelete, // %1 number, %2 name, date and time of the file to delete
    MeterFilesListed,        // %1 files
    MeterFilesListFailed,    // what failed, on the state line
    MeterFilesReadDone,      // %1 files read into folder %2
    MeterFilesReadOneDone,   // file %1 read into folder %2
    MeterFilesReadStopped,   // %1 of %2 files read into %3 before Stop
    MeterFilesReadFailed,    // file %1 failed; %2 files before it kept in %3
    MeterFilesWriteFailed,   // %1 why the folder could not be written
    MeterFilesDeleteFailed,  // %1 the file number
    MeterFilesNoContent,     // the hex view before a file was read
    MeterFilesContentTitle,  // %1 number, %2 name, %3 bytes: above the hex view

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
    SurveyMeterModel,    // %1 the meter's model, as it names itself
    SurveyReadQuality,   // button: read MER and BER of the digital channels
    SurveyColumnMer,     // table columns once MER and BER were read
    SurveyColumnBer,
    SurveyChooseEarlier, // %1 the site: label of the list of its kept surveys
    SurveyHistorySite,   // the History window's columns
    SurveyHistoryTime,
    SurveyHistoryMeter,
    SurveyHistoryLimits,
    SurveyHistoryVerdict,
    SurveyVerdictPass, // a kept survey's verdict in the History window
    SurveyVerdictFail,
    SurveyVerdictNotMeasured, // no check failed, some could not be made
    SurveyVerdictNotChecked,  // kept without a limits profile
};

// The text in the language of LanguageOffset. A %1 in it stands for the detail
// the caller fills in with QString::arg.
QString ownText(OwnText id);

} // namespace plandex
