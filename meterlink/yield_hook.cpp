#include "yield_hook.h"

#include "platform/message_pump.h"

namespace sondrel {
namespace {
struct InstalledHook {
    YieldHook hook = nullptr;
    void* context = nullptr;
};
struct InstalledObserver {
    TransferObserver observer = nullptr;
    void* context = nullptr;
};
thread_local InstalledHook installed;
thread_local InstalledObserver observing;
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

void setTransferObserver(TransferObserver observer, void* context) {
    observing = {observer, context};
}

bool transferGoesOn(int packetsDone, int packetsTotal) {
    if (!observing.observer || packetsDone >= packetsTotal) return true;
    return observing.observer(observing.context, packetsDone, packetsTotal) != 0;
}

} // namespace sondrel

extern "C" __attribute__((visibility("default"))) void SondrelSetYieldHook(sondrel::YieldHook hook,
                                                                           void* context) {
    sondrel::setYieldHook(hook, context);
}

extern "C" __attribute__((visibility("default"))) void
SondrelSetTransferObserver(sondrel::TransferObserver observer, void* context) {
    sondrel::setTransferObserver(observer, context);
}
