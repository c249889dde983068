#include "common/member_errors.h"

#include <cstdio>

namespace sondrel {

std::string describeMemberError(HResult code) {
    switch (code) {
    case MemberEOverflow:
        return "Overflow";
    case MemberESubscriptOutOfRange:
        return "Subscript out of range";
    case MemberETypeMismatch:
        return "Type mismatch";
    default: {
        char text[40];
        std::snprintf(text, sizeof text, "Error 0x%08X", static_cast<unsigned>(code));
        return text;
    }
    }
}

} // namespace sondrel
