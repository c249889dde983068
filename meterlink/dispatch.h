// Late binding of _KorvaneConnection: finds a member by name or dispatch
// identifier and calls it on any implementation of the interface, converting
// VARIANT-like arguments to the parameter types and writing in/out arguments
// back. KorvaneConnection's GetIDsOfNames and Invoke are these functions.
#pragma once

#include "korvane_interface.h"

#include <string>
#include <vector>

namespace sondrel {

// Named in ExcepInfo::source.
inline constexpr const char* DispatchSource = "Sondrel.KorvaneConnection";

// DISPID of a member name (case-insensitive); DispEUnknownName when there is none.
HResult memberIdOfName(const std::string& name, DispId* dispId);

// Calls the member dispId/kind of target with args in parameter order (fewer
// args leave trailing optional parameters out; an Empty value leaves an
// optional parameter out). Returns S_Ok with the result and the in/out args
// written back; DispEMemberNotFound, DispEBadParamCount,
// DispEParamNotOptional, DispETypeMismatch or DispEOverflow when the call
// cannot be made; DispEException when the member failed, with excep->code
// the member's HResult and its text (describeMemberError). excep, when given, describes every
// failure.
HResult invokeMember(_KorvaneConnection& target, DispId dispId, InvokeKind kind,
                     std::vector<Variant>& args, Variant* result, ExcepInfo* excep);

} // namespace sondrel
