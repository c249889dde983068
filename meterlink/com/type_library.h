// The type library embedded in Sondrel.dll (resource 1), the records it
// describes, and the module it lives in.
#pragma once

#include "com_headers.h"

#include <string>

namespace sondrel::com {

// The records of the interface, known by their type library identifiers.
enum class RecordKind { Channellist, ChannellistDigi, ChannelHead, FileHead };

HMODULE thisModule();
// Full path of Sondrel.dll.
std::wstring modulePath();

// The embedded type library (not registered, loaded from the module); null when it cannot load.
ITypeLib* typeLibrary();
// IRecordInfo of a record, from the embedded type library; null when it cannot load.
IRecordInfo* recordInfo(RecordKind kind);
// Which record an IRecordInfo describes; false when it is none of ours.
bool recordKindOf(IRecordInfo* info, RecordKind* kind);

} // namespace sondrel::com
