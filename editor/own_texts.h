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
    SurveySaveFailed, // %1 the file that could not be written
};

// The text in the language of LanguageOffset. A %1 in it stands for the detail
// the caller fills in with QString::arg.
QString ownText(OwnText id);

} // namespace plandex
