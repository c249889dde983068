// The one place where the library's values meet COM's: BSTR and UTF-8 text,
// VARIANT and Variant, SAFEARRAY with its lower bound and SafeArray, DATE and
// ComDate, VARIANT_BOOL, and the records through their type library layout.
#pragma once

#include "com_headers.h"

#include "common/dispatch_members.h"
#include "variant.h"

#include <string>

namespace sondrel::com {

std::string utf8Of(BSTR text);
// A new BSTR the caller frees.
BSTR bstrOf(const std::string& utf8);

// The library value of a COM value, by reference or not. expected names the
// parameter's type, for an array passed as a null SAFEARRAY (a dynamic array
// never dimensioned), which becomes an empty array of that type. Throws
// CoercionError (DispETypeMismatch) for types the interface does not carry.
Variant fromCom(const VARIANT& value, ParamType expected);

// How records reach a VARIANT: as typed records (VT_RECORD, arrays of
// VT_RECORD), or as record objects (record_object.h) for late-bound callers
// whose hosts cannot use records.
enum class RecordForm { Typed, Objects };

// A new COM value (the caller clears it). Throws CoercionError when a record
// type cannot be described (type library missing).
void toCom(const Variant& value, VARIANT* out, RecordForm form = RecordForm::Typed);

// Writes value into the caller's by-reference argument (VT_BYREF), in the type
// the caller gave it. A VARIANT reference takes the value's own type, with
// records in the given form unless the variable already holds typed records.
// Throws CoercionError when the value does not fit that type.
void storeByRef(const Variant& value, const VARIANT& target, RecordForm form);

// The value a parameter of this type holds when given nothing: an empty array,
// a record of zeros, or the scalar's zero (automation reads Empty as 0, "", false).
Variant emptyValueOf(ParamType type);

// True for the marker of an optional argument left out.
bool isMissing(const VARIANT& value);

} // namespace sondrel::com
