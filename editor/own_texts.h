// Texts the editor shows beyond its 144-entry string table, in Chinese and
// English, chosen by LanguageOffset like the table's. They live apart so the
// string table stays exactly as delivered.
#pragma once

#include <QString>

namespace plandex {

enum class OwnText {
    LibraryUnavailable,   // the meter link library could not be loaded
    CancelTransfer,       // the button that stops a running transfer
    TransferStopped,      // the user stopped an Upload or a header send
    DownloadStopped,      // the user stopped a Download
    StopTransferToClose,  // closing the window during a transfer: stop it? (Yes/No)
    NoTypeCode,           // %1 row, %2 its STD CH, %3 Type, %4 Audio1: no type code
    TooManyChannels,      // %1 channels: more than a plan holds
    UnwritableField,      // %1 the field or row Save cannot write in the file's code page
    RefusedNameCharacter, // a STD CH the plan files cannot carry
    FileNotWritten,       // %1 the file Save could not write
};

// The text in the language of LanguageOffset. A %1 in it stands for the detail
// the caller fills in with QString::arg.
QString ownText(OwnText id);

} // namespace plandex
