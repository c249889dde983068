// The editor's string table: every caption, tooltip and message in Chinese
// (keys 1..72) and English (keys 501..572), chosen by LanguageOffset.
#pragma once

#include <QString>

#include <cstdint>

namespace plandex {

// 0 when the Chinese texts are used, 500 for the English ones. Fixed at start-up.
extern std::int16_t LanguageOffset;

inline constexpr std::int16_t ChineseOffset = 0;
inline constexpr std::int16_t EnglishOffset = 500;

// The offset for a system language identifier: only 2052 (Chinese, PRC) gives Chinese.
std::int16_t languageOffsetFor(std::uint16_t languageId);

// The stored text of a string-table key, or nullptr when the key is not in the table.
const char* stringTableEntry(int key);

// Text n: the entry n + LanguageOffset. Throws std::out_of_range for a key
// outside the table, which is a programming error.
QString Text(int textId);

// Text ids the code refers to by name.
namespace TextId {
inline constexpr int Unit = 1;
inline constexpr int ProgramTitle = 2;
inline constexpr int PortCaption = 3;
inline constexpr int RateCaption = 4;
inline constexpr int Ok = 5;
inline constexpr int Cancel = 6;
inline constexpr int Upload = 7;
inline constexpr int Download = 8;
inline constexpr int Open = 9;
inline constexpr int Save = 10;
inline constexpr int Copy = 11;
inline constexpr int Paste = 12;
inline constexpr int Insert = 13;
inline constexpr int Delete = 14;
inline constexpr int GridCaption = 15;
inline constexpr int ConnectionFailed = 16;
inline constexpr int TransferSucceeded = 18;
inline constexpr int TransferFailed = 19;
inline constexpr int LoadPlanFirst = 20;
inline constexpr int NotAPlanFile = 21;
inline constexpr int ConfirmDelete = 22;
inline constexpr int ConfirmInsert = 23;
inline constexpr int ColumnId = 45;
inline constexpr int ColumnStdCh = 47;
inline constexpr int ColumnType = 50;
inline constexpr int ColumnFreq = 51;
inline constexpr int ColumnAudio = 52;
inline constexpr int Order = 56;
inline constexpr int Span = 58;
inline constexpr int Favourite1 = 61;
inline constexpr int Favourite2 = 62;
inline constexpr int Favourite3 = 63;
inline constexpr int Favourite4 = 64;
inline constexpr int ReadFailed = 65;
inline constexpr int HeaderPanel = 66;
inline constexpr int SetHeaderFirst = 68;
inline constexpr int Favourite5 = 69;
inline constexpr int Favourite6 = 70;
inline constexpr int Close = 71;
inline constexpr int HeaderSent = 72;
} // namespace TextId

// Suffix of the start-up and main window titles.
inline constexpr const char* VersionSuffix = " V1.25";

} // namespace plandex
