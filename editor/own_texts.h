// Texts the editor shows beyond its 144-entry string table, in Chinese and
// English, chosen by LanguageOffset like the table's. They live apart so the
// string table stays exactly as delivered.
#pragma once

#include <QString>

namespace plandex {

enum class OwnText {
    LibraryUnavailable, // the meter link library could not be loaded
};

// The text in the language of LanguageOffset. A %1 in it stands for the detail
// the caller fills in with QString::arg.
QString ownText(OwnText id);

} // namespace plandex
