// The four entry points of the in-process server: the class object of
// KorvaneConnection, the unload check, and self-registration of the class, its
// ProgID, its interface and its type library (embedded as resource 1).
#include "com_headers.h"

#include "connection_object.h"
#include "inner_connection.h"
#include "sondrel_ids.h"
#include "type_library.h"

#include <olectl.h>

#include <atomic>
#include <string>

namespace sondrel::com {
namespace {

constexpr const wchar_t* ProgId = L"Sondrel.KorvaneConnection";
constexpr const wchar_t* ClassDescription = L"Sondrel.KorvaneConnection";

// Locks taken with LockServer: while held, the library stays loaded.
std::atomic<long> serverLocks{0};

class ConnectionFactory final : public IClassFactory {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(iid, ::IID_IUnknown) || IsEqualIID(iid, ::IID_IClassFactory)) {
            *object = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // The class object lives as long as the library; a client holding it
    // keeps the library loaded, as a lock does.
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++serverLocks); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--serverLocks); }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        auto* created = new ConnectionObject(); // one reference
        const HRESULT hr = created->QueryInterface(iid, object);
        created->Release(); // goes again when iid was refused
        return hr;
    }

    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock)
            ++serverLocks;
        else
            --serverLocks;
        return S_OK;
    }
};

ConnectionFactory factory;

std::wstring textOf(const GUID& id) {
    wchar_t text[40] = {};
    StringFromGUID2(id, text, 40);
    return text;
}

bool setValue(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    HKEY opened = nullptr;
    if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &opened, nullptr) !=
        ERROR_SUCCESS)
        return false;
    const LONG rc =
        RegSetValueExW(opened, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(opened);
    return rc == ERROR_SUCCESS;
}

void removeKey(const std::wstring& key) {
    RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    RegDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str());
}

// The embedded type library must describe the identities every client uses.
bool typeLibraryMatchesIds(ITypeLib* library) {
    ITypeInfo* info = nullptr;
    for (const sondrel::Guid& id :
         {sondrel::CLSID_KorvaneConnection, sondrel::IID__KorvaneConnection}) {
        if (FAILED(library->GetTypeInfoOfGuid(guidOf(id), &info))) return false;
        info->Release();
    }
    return true;
}

} // namespace
} // namespace sondrel::com

using namespace sondrel::com;

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!IsEqualCLSID(clsid, guidOf(sondrel::CLSID_KorvaneConnection)))
        return CLASS_E_CLASSNOTAVAILABLE;
    return factory.QueryInterface(iid, object);
}

STDAPI DllCanUnloadNow() {
    return liveInnerConnections() == 0 && serverLocks.load() == 0 ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer() {
    ITypeLib* library = typeLibrary();
    if (!library || !typeLibraryMatchesIds(library)) return SELFREG_E_TYPELIB;
    std::wstring path = modulePath();
    // The type library also registers the interface (dual: the automation marshaller).
    if (FAILED(RegisterTypeLib(library, path.data(), nullptr))) return SELFREG_E_TYPELIB;
    TLIBATTR* attributes = nullptr;
    if (FAILED(library->GetLibAttr(&attributes))) return SELFREG_E_TYPELIB;
    const std::wstring libraryId = textOf(attributes->guid);
    library->ReleaseTLibAttr(attributes);

    const std::wstring classKey = L"CLSID\\" + textOf(guidOf(sondrel::CLSID_KorvaneConnection));
    const bool written =
        setValue(HKEY_CLASSES_ROOT, classKey, nullptr, ClassDescription) &&
        setValue(HKEY_CLASSES_ROOT, classKey + L"\\InprocServer32", nullptr, path) &&
        setValue(HKEY_CLASSES_ROOT, classKey + L"\\InprocServer32", L"ThreadingModel",
                 L"Apartment") &&
        setValue(HKEY_CLASSES_ROOT, classKey + L"\\ProgID", nullptr, ProgId) &&
        setValue(HKEY_CLASSES_ROOT, classKey + L"\\TypeLib", nullptr, libraryId) &&
        setValue(HKEY_CLASSES_ROOT, classKey + L"\\VERSION", nullptr, L"2.1") &&
        setValue(HKEY_CLASSES_ROOT, ProgId, nullptr, ClassDescription) &&
        setValue(HKEY_CLASSES_ROOT, std::wstring(ProgId) + L"\\CLSID", nullptr,
                 textOf(guidOf(sondrel::CLSID_KorvaneConnection)));
    return written ? S_OK : SELFREG_E_CLASS;
}

STDAPI DllUnregisterServer() {
    if (ITypeLib* library = typeLibrary()) {
        TLIBATTR* attributes = nullptr;
        if (SUCCEEDED(library->GetLibAttr(&attributes))) {
            UnRegisterTypeLib(attributes->guid, attributes->wMajorVerNum, attributes->wMinorVerNum,
                              attributes->lcid, attributes->syskind);
            library->ReleaseTLibAttr(attributes);
        }
    }
    removeKey(L"CLSID\\" + textOf(guidOf(sondrel::CLSID_KorvaneConnection)));
    removeKey(ProgId);
    removeKey(L"Interface\\" + textOf(guidOf(sondrel::IID__KorvaneConnection)));
    return S_OK;
}
