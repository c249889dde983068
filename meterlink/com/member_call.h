// One late-bound call of a library member with COM arguments: the arguments
// are converted at this boundary (com_values.h), the shared dispatcher calls
// the member (dispatch.h, the same code as every other late-bound client), and
// the member's in/out values go back into the caller's by-reference arguments.
// IDispatch::Invoke and every early-bound vtable entry go through here.
#pragma once

#include "com_headers.h"

#include "com_values.h"
#include "korvane_interface.h"

namespace sondrel::com {

struct CallFailure {
    UINT argument = 0;        // parameter index of a conversion failure
    sondrel::ExcepInfo excep; // when DISP_E_EXCEPTION is returned
};

// args in parameter order (a left-out optional one is VT_ERROR/DISP_E_PARAMNOTFOUND).
// Returns S_OK with *result set (when result is given); DISP_E_EXCEPTION with
// failure->excep when the member let an error reach the caller; another
// dispatch error (DISP_E_MEMBERNOTFOUND, DISP_E_BADPARAMCOUNT,
// DISP_E_TYPEMISMATCH with failure->argument, ...) when the call cannot be made.
// form: how records go into VARIANTs the caller gets (the result, and
// by-reference VARIANT arguments that hold no typed records).
// When the member's result is 0 and the library recorded why (last_failure.h),
// the calling thread's IErrorInfo carries that text as its description, with
// the source "Sondrel.KorvaneConnection"; the result and the HRESULT stay as
// they are, so a script sees no error, and a client that asks learns the cause.
// Every call starts with the thread's IErrorInfo cleared.
HRESULT callMember(sondrel::_KorvaneConnection& target, DISPID member, WORD flags, VARIANT* args,
                   UINT count, VARIANT* result, CallFailure* failure, RecordForm form);

// Makes source and description the calling thread's IErrorInfo, with the
// interface's GUID.
void publishErrorInfo(const std::string& source, const std::string& description);

} // namespace sondrel::com
