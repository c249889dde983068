// Between the packets of a long transfer the library lets its caller process
// pending events (a progress display, for instance). A client installs the hook
// that does so; without one, yielding does nothing.
#pragma once

namespace sondrel {

using YieldHook = void (*)(void* context);

// Installs the hook for the calling thread; nullptr removes it.
void setYieldHook(YieldHook hook, void* context);
// Runs the calling thread's hook once, if one is installed.
void yieldToCaller();

} // namespace sondrel

// C entry point, for clients that load the library at run time.
extern "C" void SondrelSetYieldHook(sondrel::YieldHook hook, void* context);
