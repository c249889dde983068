// How the meter's stored measurement files travel on the line: the file header
// in its short (26-byte) and long (59-byte) reply forms, the information flags
// of the long form, and the 64-byte pages of directory and content transfers.
// Shared by the library, which reads these replies, and the simulator, which
// writes them.
#pragma once

#include "sondrel_types.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace sondrel::stored_files {

// Paged replies (directory 0x6A with a parameter, content 0x6B).
inline constexpr std::size_t PagedReplyLength = 72;
inline constexpr std::size_t PageCountPos = 5; // pages of the whole transfer, first reply
inline constexpr std::size_t PageNumberPos = 6;
inline constexpr std::size_t PageDataPos = 7;
inline constexpr std::size_t PageSize = 64;
// The file count sits in byte 62 (counted from 1) of the last directory page.
inline constexpr std::size_t DirectoryCountOffset = 61;

// File count reply of the long form (bare 0x6A): a 16-bit count at 5..6.
inline constexpr std::size_t CountReplyLength = 8;
inline constexpr std::size_t CountPos = 5;

// Header, short form.
inline constexpr std::size_t ShortHeaderLength = 26;
inline constexpr std::size_t ShortDatePos = 7;
inline constexpr std::size_t ShortDateLength = 8;
inline constexpr std::size_t ShortTimePos = 15;

// Header, long form.
inline constexpr std::size_t LongHeaderLength = 59;
inline constexpr std::size_t LongNamePos = 5;
inline constexpr std::size_t LongDatePos = 11;
inline constexpr std::size_t LongDateLength = 10;
inline constexpr std::size_t LongTimePos = 21;
inline constexpr std::size_t LongFlagsPos = 29;
inline constexpr std::size_t LongBasePlanPos = 30;

inline constexpr std::size_t NameLength = 6;
inline constexpr std::size_t TimeLength = 8;

// What a file holds, one bit each in the flags byte of the long form.
struct FileInfoFlag {
    std::uint8_t mask;
    std::string_view name;
    VariantBool FileHead::*field;
};
std::span<const FileInfoFlag> fileInfoFlags();

} // namespace sondrel::stored_files
