// For programs that use the meter link library without linking against it:
// loads Sondrel at run time (beside the program first, then the library path),
// creates KorvaneConnection by its class identifier and hands out the
// _KorvaneConnection interface.
#pragma once

#include "activation.h"
#include "korvane_interface.h"
#include "last_failure.h"
#include "yield_hook.h"

#include <memory>
#include <stdexcept>
#include <string>

namespace sondrel::client {

class LoadError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Holds one reference to an interface and releases it when it goes.
template <typename T> class InterfacePtr {
  public:
    InterfacePtr() = default;
    explicit InterfacePtr(T* p) : p_(p) {} // takes over a reference
    InterfacePtr(const InterfacePtr& o) : p_(o.p_) {
        if (p_) p_->AddRef();
    }
    InterfacePtr(InterfacePtr&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
    InterfacePtr& operator=(InterfacePtr o) noexcept {
        std::swap(p_, o.p_);
        return *this;
    }
    ~InterfacePtr() {
        if (p_) p_->Release();
    }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

  private:
    T* p_ = nullptr;
};

using ConnectionPtr = InterfacePtr<_KorvaneConnection>;

// File name of the library, as the dynamic loader looks for it.
inline constexpr const char* SondrelFileName = "libSondrel.so.2";

class SondrelLibrary {
  public:
    // Loads the library; throws LoadError saying where it looked and why it failed.
    // Looks, in this order: beside the program, in ../lib from the program, at
    // the registered location (registrationFilePath()), then on the library path.
    static std::shared_ptr<SondrelLibrary> load();
    // Loads the library from this file only; throws LoadError.
    static std::shared_ptr<SondrelLibrary> loadFrom(const std::string& file);
    // Unloads the library unless it still has live objects or locks.
    ~SondrelLibrary();
    SondrelLibrary(const SondrelLibrary&) = delete;
    SondrelLibrary& operator=(const SondrelLibrary&) = delete;

    // A new KorvaneConnection through the library's class object; throws LoadError.
    ConnectionPtr createConnection();
    // The library's class-object entry as it is (for clients that want the raw result).
    HResult getClassObject(const Guid& clsid, const Guid& iid, void** object);
    // True when the library could be unloaded now.
    bool canUnloadNow();
    // Records or removes the library's location (see activation.h).
    HResult registerServer();
    HResult unregisterServer();
    // Installs the hook the library calls between the packets of long transfers.
    void setYieldHook(YieldHook hook, void* context);
    // Installs the calling thread's observer of plan transfers (see yield_hook.h).
    void setTransferObserver(TransferObserver observer, void* context);
    // Why the calling thread's last call on a connection failed (see last_failure.h).
    Failure lastFailure();
    // Where the library was loaded from.
    const std::string& path() const { return path_; }

  private:
    struct EntryPoints {
        GetClassObjectFn getClassObject = nullptr;
        CanUnloadNowFn canUnloadNow = nullptr;
        RegisterServerFn registerServer = nullptr;
        UnregisterServerFn unregisterServer = nullptr;
        void (*setYieldHook)(YieldHook, void*) = nullptr;
        void (*setTransferObserver)(TransferObserver, void*) = nullptr;
        int (*lastFailure)(char*, std::size_t) = nullptr;
    };
    SondrelLibrary(void* handle, std::string path, EntryPoints entries);
    void* handle_ = nullptr;
    std::string path_;
    EntryPoints entries_;
};

} // namespace sondrel::client
