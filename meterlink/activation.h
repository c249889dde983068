// How a client obtains KorvaneConnection from the library without linking to
// it: four C entry points in the manner of an in-process server (class object,
// unload check, register, unregister) and the class object's interface.
//
// Registration on this system: DllRegisterServer writes the file
// registrationFilePath() holding the library's absolute path on one line;
// DllUnregisterServer removes it again when it names this library. Clients
// that cannot find the library beside themselves look there next.
#pragma once

#include "korvane_interface.h"

#include <cstdlib>
#include <string>

namespace sondrel {

inline constexpr HResult S_False = 1;

// {00000001-0000-0000-C000-000000000046}
inline constexpr Guid IID_IClassFactory{
    0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// The class object: makes new objects of its class.
class IClassFactoryLike : public IUnknownLike {
  public:
    // outer must be null (the class cannot be aggregated).
    virtual HResult CreateInstance(IUnknownLike* outer, const Guid& iid, void** object) = 0;
    // Keeps the library loaded while locked, even with no object alive.
    virtual HResult LockServer(bool lock) = 0;

  protected:
    ~IClassFactoryLike() = default;
};

// File recording where the library is installed:
// $XDG_DATA_HOME/sondrel/library-path, by default ~/.local/share/sondrel/library-path.
inline std::string registrationFilePath() {
    std::string base;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home && *home ? home : "/tmp") + "/.local/share";
    }
    return base + "/sondrel/library-path";
}

// Names and signatures of the entry points, for clients that look them up.
inline constexpr const char* GetClassObjectEntry = "DllGetClassObject";
inline constexpr const char* CanUnloadNowEntry = "DllCanUnloadNow";
inline constexpr const char* RegisterServerEntry = "DllRegisterServer";
inline constexpr const char* UnregisterServerEntry = "DllUnregisterServer";
inline constexpr const char* SetYieldHookEntry = "SondrelSetYieldHook";
inline constexpr const char* SetTransferObserverEntry = "SondrelSetTransferObserver";
inline constexpr const char* LastFailureEntry = "SondrelLastFailure";

using GetClassObjectFn = HResult (*)(const Guid* clsid, const Guid* iid, void** object);
using CanUnloadNowFn = HResult (*)();
using RegisterServerFn = HResult (*)();
using UnregisterServerFn = HResult (*)();

} // namespace sondrel

extern "C" {
// For CLSID_KorvaneConnection: the class object (iid IID_IClassFactory or
// IID_IUnknown) or, as a shortcut, a new object (IID__KorvaneConnection or
// IID_IDispatch). ClassENotAvailable for another class, E_NoInterface for
// another interface, E_Pointer for a null argument.
sondrel::HResult DllGetClassObject(const sondrel::Guid* clsid, const sondrel::Guid* iid,
                                   void** object);
// S_Ok when no object is alive and no client holds a lock; else S_False.
sondrel::HResult DllCanUnloadNow();
// Records the library's location (see above); E_Fail when it cannot be written.
sondrel::HResult DllRegisterServer();
// Removes the record if it names this library; S_Ok also when there was none.
sondrel::HResult DllUnregisterServer();
}
