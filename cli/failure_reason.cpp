#include "failure_reason.h"

#include "cli_errors.h"

namespace sondrel::cli {
namespace {

// The library's text followed by a hint; the hint alone when there is no text.
std::string withHint(const std::string& text, std::string_view hint) {
    return text.empty() ? std::string(hint) : text + " (" + std::string(hint) + ")";
}

} // namespace

FailureReport reportOf(const Failure& failure, std::string_view unknown) {
    const std::string& text = failure.text;
    switch (failure.kind) {
    case FailureKind::None:
        return {ExitNotDone, std::string(unknown)};
    case FailureKind::NoAnswer:
        return {ExitNotDone, withHint(text, "no answer from the meter: is it switched on, "
                                            "connected and at the line speed of this link?")};
    case FailureKind::WrongAnswer:
        return {ExitWrongAnswer, withHint(text, "the reply does not answer the command sent")};
    case FailureKind::NoDevice:
        return {ExitNoDevice, withHint(text, "no device at this port; see sondrel ports")};
    case FailureKind::InUse:
        return {ExitInUse, withHint(text, "another program holds the port; end it and try again")};
    case FailureKind::Permission:
        return {ExitPermission,
                withHint(text, "this user may not open the device: add the user to the group "
                               "dialout (sudo usermod -aG dialout $USER), then log out and in "
                               "again")};
    case FailureKind::CodePage:
    case FailureKind::Cancelled:
    case FailureKind::Other:
        break;
    }
    return {ExitNotDone, withHint(text, failureKindName(failure.kind))};
}

} // namespace sondrel::cli
