#include "record_object.h"

#include <atomic>
#include <string>
#include <vector>

namespace sondrel::com {
namespace {

// Identifies the objects made here, for unwrapRecord; never leaves the process.
// {6F1C2A99-3B7E-4D15-9A0C-5E2B7D4C8A01}
const GUID IID_SondrelRecordObject = {
    0x6F1C2A99, 0x3B7E, 0x4D15, {0x9A, 0x0C, 0x5E, 0x2B, 0x7D, 0x4C, 0x8A, 0x01}};

class RecordObject final : public IDispatch {
  public:
    RecordObject(IRecordInfo* info, void* data) : info_(info), data_(data) {}

    IRecordInfo* info() const { return info_; }
    void* data() const { return data_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(iid, ::IID_IUnknown) || IsEqualIID(iid, ::IID_IDispatch) ||
            IsEqualIID(iid, IID_SondrelRecordObject)) {
            *object = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }

    // A field's DISPID is its position from 1.
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        if (!names || !ids || count == 0) return E_INVALIDARG;
        for (UINT i = 0; i < count; ++i)
            ids[i] = DISPID_UNKNOWN;
        if (count > 1) return DISP_E_UNKNOWNNAME;
        ULONG fields = fieldCount();
        std::vector<BSTR> fieldNames(fields);
        info_->GetFieldNames(&fields, fieldNames.data());
        for (ULONG f = 0; f < fields; ++f) {
            if (ids[0] == DISPID_UNKNOWN &&
                CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, names[0], -1, fieldNames[f],
                               -1) == CSTR_EQUAL)
                ids[0] = static_cast<DISPID>(f + 1);
            SysFreeString(fieldNames[f]);
        }
        return ids[0] == DISPID_UNKNOWN ? DISP_E_UNKNOWNNAME : S_OK;
    }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO*, UINT*) override {
        if (!params) return E_INVALIDARG;
        BSTR name = fieldName(id);
        if (!name) return DISP_E_MEMBERNOTFOUND;
        HRESULT hr = DISP_E_MEMBERNOTFOUND;
        if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
            hr = params->cArgs == 1 ? put(name, params->rgvarg[0]) : DISP_E_BADPARAMCOUNT;
        } else if (flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD)) {
            hr = params->cArgs == 0 ? get(name, result) : DISP_E_BADPARAMCOUNT;
        }
        SysFreeString(name);
        return hr;
    }

  private:
    ~RecordObject() {
        info_->RecordDestroy(data_);
        info_->Release();
    }

    // Asked with room for any number: some implementations give no more
    // names, nor count, than the room offered.
    ULONG fieldCount() const {
        ULONG fields = ~0UL;
        if (FAILED(info_->GetFieldNames(&fields, nullptr))) return 0;
        return fields;
    }

    BSTR fieldName(DISPID id) const {
        ULONG fields = fieldCount();
        if (id < 1 || static_cast<ULONG>(id) > fields) return nullptr;
        std::vector<BSTR> names(fields);
        info_->GetFieldNames(&fields, names.data());
        BSTR wanted = names[static_cast<std::size_t>(id - 1)];
        for (ULONG f = 0; f < fields; ++f)
            if (f != static_cast<ULONG>(id - 1)) SysFreeString(names[f]);
        return wanted;
    }

    // A copy of the field's value: the caller owns and frees what it gets. Wine's
    // GetField hands out the record's own string, which the caller would then
    // free under the record; a reference to the field, copied here, is safe
    // everywhere.
    HRESULT get(BSTR name, VARIANT* result) {
        VARIANT field;
        VariantInit(&field);
        void* array = nullptr;
        HRESULT hr = info_->GetFieldNoCopy(data_, name, &field, &array);
        if (FAILED(hr) || !result) return hr;
        VariantInit(result);
        return VariantCopyInd(result, &field);
    }

    // Stores the value in the field's own type, at the field's place in the
    // record as the type library gives it (Wine's PutField cannot store
    // every field type, bytes among them).
    HRESULT put(BSTR name, const VARIANT& given) {
        ITypeInfo* type = nullptr;
        HRESULT hr = info_->GetTypeInfo(&type);
        if (FAILED(hr)) return hr;
        TYPEATTR* attributes = nullptr;
        hr = type->GetTypeAttr(&attributes);
        for (UINT i = 0; SUCCEEDED(hr) && i < attributes->cVars; ++i) {
            VARDESC* field = nullptr;
            if (FAILED(type->GetVarDesc(i, &field))) continue;
            BSTR fieldName = nullptr;
            UINT named = 0;
            type->GetNames(field->memid, &fieldName, 1, &named);
            const bool wanted = named == 1 && CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE,
                                                             name, -1, fieldName, -1) == CSTR_EQUAL;
            SysFreeString(fieldName);
            if (wanted) {
                hr = store(given, field->elemdescVar.tdesc.vt,
                           static_cast<BYTE*>(data_) + field->oInst);
                type->ReleaseVarDesc(field);
                type->ReleaseTypeAttr(attributes);
                type->Release();
                return hr;
            }
            type->ReleaseVarDesc(field);
        }
        if (attributes) type->ReleaseTypeAttr(attributes);
        type->Release();
        return DISP_E_MEMBERNOTFOUND;
    }

    static HRESULT store(const VARIANT& given, VARTYPE type, BYTE* where) {
        VARIANT value;
        VariantInit(&value);
        HRESULT hr = VariantChangeType(&value, const_cast<VARIANT*>(&given), 0, type);
        if (FAILED(hr)) return hr;
        switch (type) {
        case VT_UI1:
            *reinterpret_cast<BYTE*>(where) = V_UI1(&value);
            break;
        case VT_I2:
            *reinterpret_cast<SHORT*>(where) = V_I2(&value);
            break;
        case VT_BOOL:
            *reinterpret_cast<VARIANT_BOOL*>(where) = V_BOOL(&value);
            break;
        case VT_I4:
            *reinterpret_cast<LONG*>(where) = V_I4(&value);
            break;
        case VT_R4:
            *reinterpret_cast<FLOAT*>(where) = V_R4(&value);
            break;
        case VT_R8:
        case VT_DATE:
            *reinterpret_cast<DOUBLE*>(where) = V_R8(&value);
            break;
        case VT_BSTR:
            SysFreeString(*reinterpret_cast<BSTR*>(where));
            *reinterpret_cast<BSTR*>(where) = V_BSTR(&value); // the record owns it now
            return S_OK;
        default:
            hr = DISP_E_TYPEMISMATCH;
        }
        VariantClear(&value);
        return hr;
    }

    std::atomic<ULONG> references_{1};
    IRecordInfo* info_;
    void* data_;
};

} // namespace

void wrapRecord(VARIANT& record, VARIANT* out) {
    auto* object = new RecordObject(V_RECORDINFO(&record), V_RECORD(&record));
    V_VT(&record) = VT_EMPTY; // the object owns the record now
    VariantInit(out);
    V_VT(out) = VT_DISPATCH;
    V_DISPATCH(out) = object;
}

bool unwrapRecord(IUnknown* object, IRecordInfo** info, void** data) {
    void* found = nullptr;
    if (!object || FAILED(object->QueryInterface(IID_SondrelRecordObject, &found)) || !found)
        return false;
    auto* record = static_cast<RecordObject*>(static_cast<IDispatch*>(found));
    *info = record->info();
    *data = record->data();
    record->Release();
    return true;
}

} // namespace sondrel::com
