#include "sondrel_client.h"

#include "sondrel_ids.h"

#include <cstdio>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace sondrel::client {
namespace {

std::string hex(HResult hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
}

std::string lastLoaderError() {
    const char* e = dlerror();
    return e ? e : "unknown reason";
}

// Directory of the running program.
fs::path programDirectory() {
    std::error_code ec;
    const auto exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : exe.parent_path();
}

// The library path recorded by DllRegisterServer, if any.
std::string registeredLocation() {
    std::ifstream in(registrationFilePath());
    std::string path;
    if (in) std::getline(in, path);
    return path;
}

// Places to try, each with a label for the error text; the last one is a bare
// name that the dynamic loader searches on the library path.
struct Candidate {
    std::string where;
    std::string file;
    bool mustExist = true;
};

std::vector<Candidate> candidates() {
    std::vector<Candidate> list;
    const fs::path dir = programDirectory();
    if (!dir.empty()) {
        list.push_back({"beside the program", (dir / SondrelFileName).string()});
        list.push_back({"in ../lib",
                        (dir.parent_path() / "lib" / SondrelFileName).lexically_normal().string()});
    }
    if (const auto registered = registeredLocation(); !registered.empty())
        list.push_back({"at the registered location", registered});
    list.push_back({"on the library path", SondrelFileName, false});
    return list;
}

template <typename Fn> Fn entry(void* handle, const char* name) {
    return reinterpret_cast<Fn>(dlsym(handle, name));
}

} // namespace

SondrelLibrary::SondrelLibrary(void* handle, std::string path, EntryPoints entries)
    : handle_(handle), path_(std::move(path)), entries_(entries) {}

std::shared_ptr<SondrelLibrary> SondrelLibrary::loadFrom(const std::string& file) {
    void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) throw LoadError("cannot load " + file + ": " + lastLoaderError());

    EntryPoints e;
    e.getClassObject = entry<GetClassObjectFn>(handle, GetClassObjectEntry);
    e.canUnloadNow = entry<CanUnloadNowFn>(handle, CanUnloadNowEntry);
    e.registerServer = entry<RegisterServerFn>(handle, RegisterServerEntry);
    e.unregisterServer = entry<UnregisterServerFn>(handle, UnregisterServerEntry);
    e.setYieldHook = entry<void (*)(YieldHook, void*)>(handle, SetYieldHookEntry);
    e.setTransferObserver =
        entry<void (*)(TransferObserver, void*)>(handle, SetTransferObserverEntry);
    e.lastFailure = entry<int (*)(char*, std::size_t)>(handle, LastFailureEntry);
    if (!e.getClassObject || !e.canUnloadNow || !e.registerServer || !e.unregisterServer ||
        !e.setYieldHook || !e.setTransferObserver || !e.lastFailure) {
        dlclose(handle);
        throw LoadError(file + " is not the Sondrel library (entry points missing)");
    }

    // Report the file the loader actually chose (a bare name has no path yet).
    std::string path = file;
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(e.getClassObject), &info) && info.dli_fname)
        path = info.dli_fname;
    return std::shared_ptr<SondrelLibrary>(new SondrelLibrary(handle, std::move(path), e));
}

std::shared_ptr<SondrelLibrary> SondrelLibrary::load() {
    std::string looked;
    for (const auto& c : candidates()) {
        std::error_code ec;
        std::string reason;
        if (c.mustExist && !fs::exists(c.file, ec)) {
            reason = "not there";
        } else {
            try {
                return loadFrom(c.file);
            } catch (const LoadError& e) {
                reason = e.what();
            }
        }
        looked += (looked.empty() ? "" : "; ") + c.where + " (" + c.file + "): " + reason;
    }
    throw LoadError(std::string("cannot load the Sondrel library; looked ") + looked);
}

SondrelLibrary::~SondrelLibrary() {
    // An object or class object still held by the client runs code of the
    // library, so the library stays loaded for the rest of the process then.
    if (entries_.canUnloadNow() == S_Ok) dlclose(handle_);
}

HResult SondrelLibrary::getClassObject(const Guid& clsid, const Guid& iid, void** object) {
    return entries_.getClassObject(&clsid, &iid, object);
}

ConnectionPtr SondrelLibrary::createConnection() {
    void* raw = nullptr;
    HResult hr = getClassObject(CLSID_KorvaneConnection, IID_IClassFactory, &raw);
    if (failed(hr)) throw LoadError("the library has no KorvaneConnection class (" + hex(hr) + ")");
    InterfacePtr<IClassFactoryLike> factory(static_cast<IClassFactoryLike*>(raw));

    void* object = nullptr;
    hr = factory->CreateInstance(nullptr, IID__KorvaneConnection, &object);
    if (failed(hr)) throw LoadError("cannot create KorvaneConnection (" + hex(hr) + ")");
    return ConnectionPtr(static_cast<_KorvaneConnection*>(object));
}

bool SondrelLibrary::canUnloadNow() {
    return entries_.canUnloadNow() == S_Ok;
}

HResult SondrelLibrary::registerServer() {
    return entries_.registerServer();
}

HResult SondrelLibrary::unregisterServer() {
    return entries_.unregisterServer();
}

void SondrelLibrary::setYieldHook(YieldHook hook, void* context) {
    entries_.setYieldHook(hook, context);
}

void SondrelLibrary::setTransferObserver(TransferObserver observer, void* context) {
    entries_.setTransferObserver(observer, context);
}

Failure SondrelLibrary::lastFailure() {
    char text[1024];
    const int kind = entries_.lastFailure(text, sizeof text);
    return {static_cast<FailureKind>(kind), text};
}

} // namespace sondrel::client
