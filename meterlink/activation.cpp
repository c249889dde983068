#include "activation.h"

#include "KorvaneConnection.h"
#include "sondrel_ids.h"

#include <atomic>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace sondrel {
namespace {

// Locks taken with LockServer plus references handed out to the class object:
// while either is held, a client may still call into the library.
std::atomic<long> serverLocks{0};

class KorvaneConnectionFactory final : public IClassFactoryLike {
  public:
    HResult QueryInterface(const Guid& iid, void** object) override {
        if (!object) return E_Pointer;
        if (iid == IID_IUnknown || iid == IID_IClassFactory) {
            *object = static_cast<IClassFactoryLike*>(this);
            AddRef();
            return S_Ok;
        }
        *object = nullptr;
        return E_NoInterface;
    }
    // The class object lives as long as the library; counting its references
    // only keeps the library from being unloaded under a client.
    std::uint32_t AddRef() override { return static_cast<std::uint32_t>(++serverLocks); }
    std::uint32_t Release() override { return static_cast<std::uint32_t>(--serverLocks); }

    HResult CreateInstance(IUnknownLike* outer, const Guid& iid, void** object) override {
        if (!object) return E_Pointer;
        *object = nullptr;
        if (outer) return ClassENoAggregation;
        auto* created = new KorvaneConnection(); // starts with one reference
        const HResult hr = created->QueryInterface(iid, object);
        created->Release(); // the object goes again when iid was refused
        return hr;
    }

    HResult LockServer(bool lock) override {
        if (lock)
            ++serverLocks;
        else
            --serverLocks;
        return S_Ok;
    }
};

KorvaneConnectionFactory factory;

// Absolute path of this library, as the dynamic loader knows it.
std::string libraryPath() {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&DllRegisterServer), &info) || !info.dli_fname) return {};
    // Keep the file name the loader used (the versioned link survives updates).
    std::error_code ec;
    const auto path = fs::absolute(info.dli_fname, ec);
    return ec ? std::string(info.dli_fname) : path.lexically_normal().string();
}

} // namespace
} // namespace sondrel

using namespace sondrel;

extern "C" __attribute__((visibility("default"))) HResult
DllGetClassObject(const Guid* clsid, const Guid* iid, void** object) {
    if (!object) return E_Pointer;
    *object = nullptr;
    if (!clsid || !iid) return E_Pointer;
    if (*clsid != CLSID_KorvaneConnection) return ClassENotAvailable;
    if (*iid == IID__KorvaneConnection || *iid == IID_IDispatch)
        return factory.CreateInstance(nullptr, *iid, object);
    return factory.QueryInterface(*iid, object);
}

extern "C" __attribute__((visibility("default"))) HResult DllCanUnloadNow() {
    return KorvaneConnection::liveObjects() == 0 && serverLocks.load() == 0 ? S_Ok : S_False;
}

extern "C" __attribute__((visibility("default"))) HResult DllRegisterServer() {
    const std::string self = libraryPath();
    if (self.empty()) return E_Fail;
    const fs::path record = registrationFilePath();
    std::error_code ec;
    fs::create_directories(record.parent_path(), ec);
    // Write beside and rename, so a reader never sees half a path.
    const fs::path temporary = record.string() + ".new";
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << self << '\n';
        if (!out.flush()) return E_Fail;
    }
    fs::rename(temporary, record, ec);
    return ec ? E_Fail : S_Ok;
}

extern "C" __attribute__((visibility("default"))) HResult DllUnregisterServer() {
    const fs::path record = registrationFilePath();
    std::ifstream in(record);
    std::string registered;
    if (!in || !std::getline(in, registered)) return S_Ok; // nothing registered
    // Another installation's record is not ours to remove.
    if (registered != libraryPath()) return S_Ok;
    in.close();
    std::error_code ec;
    fs::remove(record, ec);
    return ec ? E_Fail : S_Ok;
}
