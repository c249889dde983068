// The Windows and OLE Automation headers with the type library's generated
// declarations. windows.h turns DeleteFile into DeleteFileA/W; the interface
// has a member of that name, so the macro is dropped before the interface.
#pragma once

#include <windows.h>

#include <oaidl.h>
#include <ole2.h>
#include <oleauto.h>

#undef DeleteFile

#include "Sondrel.h"
