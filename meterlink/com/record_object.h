// A record handed to a late-bound caller as an automation object whose
// properties are the record's fields (plan(1).ChannelName, head.Fav1 = 2).
// Script hosts cannot use records or arrays of records themselves (VBScript
// cannot index them or read their fields), so a late-bound caller whose
// variable holds no typed record gets records this way, and may pass such
// objects back where a record or an array of records is expected.
#pragma once

#include "com_headers.h"

namespace sondrel::com {

// Wraps a VT_RECORD value, taking over its data; returns VT_DISPATCH in out.
void wrapRecord(VARIANT& record, VARIANT* out);

// The record inside an object made by wrapRecord (not copied; valid while the
// object lives); false for any other object.
bool unwrapRecord(IUnknown* object, IRecordInfo** info, void** data);

} // namespace sondrel::com
