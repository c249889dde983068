// Between the packets of a long transfer the library lets its caller process
// pending events (a progress display, for instance). A client installs the hook
// that does so; without one, yielding does nothing.
//
// The plan transfers (ReadChannel, ReadChannelDigi, CarryChannel,
// CarryChannelDigi, UserNameTransmmission) also tell an installed transfer
// observer after every packet but the last how many of the transfer's packets
// are done, and let it stop the transfer there: when the observer returns 0 the
// member sends nothing more and fails (result 0), as if the meter had not
// answered the next packet. A read learns its packet count from the meter's
// first reply. Without an observer every member behaves as before.
#pragma once

namespace sondrel {

using YieldHook = void (*)(void* context);
// Called after packet packetsDone (1 .. packetsTotal - 1) of a plan transfer
// went out and, where the member waits for one, its answer arrived. Returns
// nonzero to go on, 0 to stop after this packet.
using TransferObserver = int (*)(void* context, int packetsDone, int packetsTotal);

// Installs the hook for the calling thread; nullptr removes it.
void setYieldHook(YieldHook hook, void* context);
// Runs the calling thread's hook once, if one is installed.
void yieldToCaller();

// Installs the transfer observer for the calling thread; nullptr removes it.
void setTransferObserver(TransferObserver observer, void* context);
// Reports progress to the calling thread's observer; false when it asks to stop.
// Nothing is reported once every packet is done: there is nothing left to stop.
bool transferGoesOn(int packetsDone, int packetsTotal);

} // namespace sondrel

// C entry points, for clients that load the library at run time.
extern "C" void SondrelSetYieldHook(sondrel::YieldHook hook, void* context);
extern "C" void SondrelSetTransferObserver(sondrel::TransferObserver observer, void* context);
