#include "yield_hook.h"

#include "platform/message_pump.h"

namespace sondrel {
namespace {
struct InstalledHook {
    YieldHook hook = nullptr;
    void* context = nullptr;
};
thread_local InstalledHook installed;
} // namespace

void setYieldHook(YieldHook hook, void* context) {
    installed = {hook, context};
}

void yieldToCaller() {
    if (installed.hook)
        installed.hook(installed.context);
    else
        processPendingMessages();
}

} // namespace sondrel

extern "C" __attribute__((visibility("default"))) void SondrelSetYieldHook(sondrel::YieldHook hook,
                                                                           void* context) {
    sondrel::setYieldHook(hook, context);
}
