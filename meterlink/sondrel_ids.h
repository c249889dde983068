// The fixed identities of the library: its class and interface identifiers.
// Both the library and every client use these values.
#pragma once

#include "korvane_interface.h"

namespace sondrel {

// {6F1C2A90-3B7E-4D15-9A0C-5E2B7D4C8A01}
inline constexpr Guid CLSID_KorvaneConnection{
    0x6F1C2A90, 0x3B7E, 0x4D15, {0x9A, 0x0C, 0x5E, 0x2B, 0x7D, 0x4C, 0x8A, 0x01}};
// {6F1C2A91-3B7E-4D15-9A0C-5E2B7D4C8A01}
inline constexpr Guid IID__KorvaneConnection{
    0x6F1C2A91, 0x3B7E, 0x4D15, {0x9A, 0x0C, 0x5E, 0x2B, 0x7D, 0x4C, 0x8A, 0x01}};
// {00000000-0000-0000-C000-000000000046}
inline constexpr Guid IID_IUnknown{
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
// {00020400-0000-0000-C000-000000000046}
inline constexpr Guid IID_IDispatch{
    0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

inline constexpr const char* SondrelLibraryName = "Sondrel";
inline constexpr const char* SondrelFileVersion = "2.01";

} // namespace sondrel
