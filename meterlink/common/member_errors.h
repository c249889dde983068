// Errors that a few members let reach their caller as a failed call instead of
// a result of 0 (GetCN, ReadNowChannel, SetupNowChannel, ReadSLMScreenBig).
// They carry the automation runtime's own error numbers, so a late-bound
// client sees the error it would expect from such a component.
#pragma once

#include "sondrel_types.h"

#include <string>

namespace sondrel {

inline constexpr HResult MemberEOverflow = static_cast<HResult>(0x800A0006u);
inline constexpr HResult MemberESubscriptOutOfRange = static_cast<HResult>(0x800A0009u);
inline constexpr HResult MemberETypeMismatch = static_cast<HResult>(0x800A000Du);

// "Overflow", "Subscript out of range", "Type mismatch"; for any other failed
// result a generic text with its number.
std::string describeMemberError(HResult code);

} // namespace sondrel
