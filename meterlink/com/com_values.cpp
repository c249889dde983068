#include "com_values.h"

#include "common/dispatch_coercion.h"
#include "record_object.h"
#include "type_library.h"

#include <optional>

namespace sondrel::com {
namespace {

[[noreturn]] void mismatch(const std::string& why) {
    throw CoercionError(DispETypeMismatch, why);
}

IRecordInfo* requireRecordInfo(RecordKind kind) {
    IRecordInfo* info = recordInfo(kind);
    if (!info) mismatch("the type library of Sondrel cannot be loaded");
    return info;
}

void replace(BSTR& slot, const std::string& text) {
    SysFreeString(slot);
    slot = bstrOf(text);
}

// The channel fields Channellist and ChannellistDigi share, in their declared order.
template <typename From, typename To> void readChannel(const From& c, To& out) {
    out.ChannelNumber = c.ChannelNumber;
    out.Type = utf8Of(c.Type);
    out.Serial = c.Serial;
    out.freq = c.freq;
    out.ChannelOK = c.ChannelOK;
    out.TiltOK = c.TiltOK;
    out.ChannelName = utf8Of(c.ChannelName);
    out.Audio1 = c.Audio1;
    out.Audio2 = c.Audio2;
    out.Memo = utf8Of(c.Memo);
}

template <typename From, typename To> void writeChannel(const From& c, To& out) {
    out.ChannelNumber = c.ChannelNumber;
    replace(out.Type, c.Type);
    out.Serial = c.Serial;
    out.freq = c.freq;
    out.ChannelOK = c.ChannelOK;
    out.TiltOK = c.TiltOK;
    replace(out.ChannelName, c.ChannelName);
    out.Audio1 = c.Audio1;
    out.Audio2 = c.Audio2;
    replace(out.Memo, c.Memo);
}

sondrel::Channellist recordOf(const ::Channellist& c) {
    sondrel::Channellist out;
    readChannel(c, out);
    return out;
}

sondrel::ChannellistDigi recordOf(const ::ChannellistDigi& c) {
    sondrel::ChannellistDigi out;
    readChannel(c, out);
    out.Rate = utf8Of(c.Rate);
    return out;
}

void write(const sondrel::Channellist& c, ::Channellist& out) {
    writeChannel(c, out);
}

void write(const sondrel::ChannellistDigi& c, ::ChannellistDigi& out) {
    writeChannel(c, out);
    replace(out.Rate, c.Rate);
}

sondrel::ChannelHead recordOf(const ::ChannelHead& h) {
    return {h.Fav1, h.Fav2, h.Fav3, h.Fav4, h.Fav5, h.Fav6, h.Span, h.Un};
}

void write(const sondrel::ChannelHead& h, ::ChannelHead& out) {
    out.Fav1 = h.Fav1;
    out.Fav2 = h.Fav2;
    out.Fav3 = h.Fav3;
    out.Fav4 = h.Fav4;
    out.Fav5 = h.Fav5;
    out.Fav6 = h.Fav6;
    out.Span = h.Span;
    out.Un = h.Un;
}

sondrel::FileHead recordOf(const ::FileHead& f) {
    sondrel::FileHead out;
    out.FileName = utf8Of(f.FileName);
    out.FileDate = ComDate{f.FileDate};
    out.FileTime = ComDate{f.FileTime};
    out.FileBaseChannel = utf8Of(f.FileBaseChannel);
    out.FileInfoLimitsTest = f.FileInfoLimitsTest;
    out.FileInfoTilt = f.FileInfoTilt;
    out.FileInfoSpect = f.FileInfoSpect;
    out.FileInfoScan = f.FileInfoScan;
    out.FileInfoLevel = f.FileInfoLevel;
    out.FileInfo24Hour = f.FileInfo24Hour;
    out.FileInfoQAM = f.FileInfoQAM;
    return out;
}

void write(const sondrel::FileHead& f, ::FileHead& out) {
    replace(out.FileName, f.FileName);
    out.FileDate = f.FileDate.value;
    out.FileTime = f.FileTime.value;
    replace(out.FileBaseChannel, f.FileBaseChannel);
    out.FileInfoLimitsTest = f.FileInfoLimitsTest;
    out.FileInfoTilt = f.FileInfoTilt;
    out.FileInfoSpect = f.FileInfoSpect;
    out.FileInfoScan = f.FileInfoScan;
    out.FileInfoLevel = f.FileInfoLevel;
    out.FileInfo24Hour = f.FileInfo24Hour;
    out.FileInfoQAM = f.FileInfoQAM;
}

void newRecord(RecordKind kind, VARIANT* out, auto fill) {
    IRecordInfo* info = requireRecordInfo(kind);
    void* data = info->RecordCreate();
    if (!data) throw CoercionError(E_Fail, "out of memory for a record");
    fill(data);
    info->AddRef();
    V_VT(out) = VT_RECORD;
    V_RECORDINFO(out) = info;
    V_RECORD(out) = data;
}

// The data of a one-dimensional SAFEARRAY, locked while this lives.
class ArrayData {
  public:
    ArrayData(SAFEARRAY* array, std::size_t elementSize) : array_(array) {
        if (SafeArrayGetDim(array) != 1) mismatch("only one-dimensional arrays are passed");
        if (SafeArrayGetElemsize(array) != elementSize)
            mismatch("array elements of the wrong size");
        SafeArrayGetLBound(array, 1, &lower_);
        LONG upper = 0;
        SafeArrayGetUBound(array, 1, &upper);
        count_ = upper >= lower_ ? static_cast<std::size_t>(upper - lower_ + 1) : 0;
        if (FAILED(SafeArrayAccessData(array, &data_))) mismatch("the array cannot be read");
    }
    ~ArrayData() { SafeArrayUnaccessData(array_); }
    ArrayData(const ArrayData&) = delete;
    ArrayData& operator=(const ArrayData&) = delete;

    template <typename T> T* items() const { return static_cast<T*>(data_); }
    LONG lower() const { return lower_; }
    std::size_t count() const { return count_; }

  private:
    SAFEARRAY* array_;
    void* data_ = nullptr;
    LONG lower_ = 0;
    std::size_t count_ = 0;
};

template <typename ComRecord> auto recordsOf(SAFEARRAY* array) {
    using Record = decltype(recordOf(std::declval<const ComRecord&>()));
    ArrayData data(array, sizeof(ComRecord));
    SafeArray<Record> out;
    out.lowerBound = data.lower();
    for (std::size_t i = 0; i < data.count(); ++i)
        out.items.push_back(recordOf(data.items<ComRecord>()[i]));
    return out;
}

template <typename ComRecord, typename Record>
SAFEARRAY* recordArray(RecordKind kind, const SafeArray<Record>& records) {
    SAFEARRAY* array = SafeArrayCreateVectorEx(
        VT_RECORD, records.lowerBound, static_cast<ULONG>(records.size()), requireRecordInfo(kind));
    if (!array) throw CoercionError(E_Fail, "out of memory for an array of records");
    ArrayData data(array, sizeof(ComRecord));
    for (std::size_t i = 0; i < records.size(); ++i)
        write(records.items[i], data.items<ComRecord>()[i]);
    return array;
}

// Channels as an array of VARIANTs, each a record object, with the same bounds.
template <typename ComRecord, typename Record>
SAFEARRAY* objectArray(RecordKind kind, const SafeArray<Record>& records) {
    SAFEARRAY* array =
        SafeArrayCreateVector(VT_VARIANT, records.lowerBound, static_cast<ULONG>(records.size()));
    if (!array) throw CoercionError(E_Fail, "out of memory for an array");
    ArrayData data(array, sizeof(VARIANT));
    for (std::size_t i = 0; i < records.size(); ++i) {
        VARIANT record;
        VariantInit(&record);
        newRecord(kind, &record,
                  [&](void* fields) { write(records.items[i], *static_cast<ComRecord*>(fields)); });
        wrapRecord(record, &data.items<VARIANT>()[i]);
    }
    return array;
}

// The record inside a record object, if the value is one.
bool recordObjectIn(const VARIANT& element, RecordKind* kind, void** data) {
    if (V_VT(&element) != VT_DISPATCH) return false;
    IRecordInfo* info = nullptr;
    return unwrapRecord(V_DISPATCH(&element), &info, data) && recordKindOf(info, kind);
}

template <typename ComRecord> auto recordsOfObjects(const ArrayData& data, RecordKind kind) {
    using Record = decltype(recordOf(std::declval<const ComRecord&>()));
    SafeArray<Record> out;
    out.lowerBound = data.lower();
    for (std::size_t i = 0; i < data.count(); ++i) {
        RecordKind found{};
        void* record = nullptr;
        if (!recordObjectIn(data.items<VARIANT>()[i], &found, &record) || found != kind)
            mismatch("an array mixing channel records with other values");
        out.items.push_back(recordOf(*static_cast<const ComRecord*>(record)));
    }
    return out;
}

// An array of channel record objects (what a late-bound caller got from
// ReadChannel) as the array of records it stands for; nullopt for other arrays.
std::optional<Variant> channelsOfObjects(SAFEARRAY* array) {
    ArrayData data(array, sizeof(VARIANT));
    RecordKind kind{};
    void* first = nullptr;
    if (data.count() == 0 || !recordObjectIn(data.items<VARIANT>()[0], &kind, &first))
        return std::nullopt;
    if (kind == RecordKind::Channellist)
        return Variant::channels(recordsOfObjects<::Channellist>(data, kind));
    if (kind == RecordKind::ChannellistDigi)
        return Variant::channelsDigi(recordsOfObjects<::ChannellistDigi>(data, kind));
    return std::nullopt;
}

Variant arrayOf(SAFEARRAY* array, VARTYPE element, ParamType expected) {
    // A dynamic array never dimensioned: empty, of the type the parameter asks for.
    if (!array)
        return expected == ParamType::Variant ? Variant::variants({}) : emptyValueOf(expected);
    switch (element) {
    case VT_UI1: {
        ArrayData data(array, 1);
        SafeArray<std::uint8_t> out;
        out.lowerBound = data.lower();
        out.items.assign(data.items<std::uint8_t>(), data.items<std::uint8_t>() + data.count());
        return Variant::bytes(std::move(out));
    }
    case VT_VARIANT: {
        if (auto channels = channelsOfObjects(array)) return *channels;
        ArrayData data(array, sizeof(VARIANT));
        VariantArray out;
        out.lowerBound = data.lower();
        for (std::size_t i = 0; i < data.count(); ++i)
            out.items.push_back(fromCom(data.items<VARIANT>()[i], ParamType::Variant));
        return Variant::variants(std::move(out));
    }
    case VT_RECORD: {
        IRecordInfo* info = nullptr;
        RecordKind kind{};
        const bool known =
            SUCCEEDED(SafeArrayGetRecordInfo(array, &info)) && recordKindOf(info, &kind);
        if (info) info->Release();
        if (known && kind == RecordKind::Channellist)
            return Variant::channels(recordsOf<::Channellist>(array));
        if (known && kind == RecordKind::ChannellistDigi)
            return Variant::channelsDigi(recordsOf<::ChannellistDigi>(array));
        mismatch("an array of records other than Channellist or ChannellistDigi");
    }
    default:
        mismatch("an array of a type the interface does not pass");
    }
}

Variant recordValueOf(IRecordInfo* info, const void* data) {
    RecordKind kind{};
    if (!data || !recordKindOf(info, &kind)) mismatch("a record the interface does not pass");
    switch (kind) {
    case RecordKind::ChannelHead:
        return Variant::head(recordOf(*static_cast<const ::ChannelHead*>(data)));
    case RecordKind::FileHead:
        return Variant::fileHead(recordOf(*static_cast<const ::FileHead*>(data)));
    default:
        mismatch("a single channel record where the interface passes arrays of them");
    }
}

// Other numeric kinds (I1, UI2, UI4, INT, I8, CY, DECIMAL, ...) as a double.
Variant numberOf(const VARIANT& value) {
    VARIANT copy;
    VariantInit(&copy);
    if (FAILED(VariantChangeType(&copy, const_cast<VARIANT*>(&value), 0, VT_R8)))
        mismatch("a value of a type the interface does not pass");
    return Variant::r8(V_R8(&copy));
}

} // namespace

std::string utf8Of(BSTR text) {
    const int length = static_cast<int>(SysStringLen(text));
    if (length == 0) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), n, nullptr, nullptr);
    return out;
}

BSTR bstrOf(const std::string& utf8) {
    const int n =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    BSTR out = SysAllocStringLen(nullptr, static_cast<UINT>(n));
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out, n);
    return out;
}

Variant emptyValueOf(ParamType type) {
    switch (type) {
    case ParamType::Bytes:
        return Variant::bytes({});
    case ParamType::Channels:
        return Variant::channels({});
    case ParamType::ChannelsDigi:
        return Variant::channelsDigi({});
    case ParamType::Head:
        return Variant::head({});
    case ParamType::FileHeader:
        return Variant::fileHead({});
    default:
        return coerce(Variant(), varTypeOf(type));
    }
}

bool isMissing(const VARIANT& value) {
    return V_VT(&value) == VT_ERROR && V_ERROR(&value) == DISP_E_PARAMNOTFOUND;
}

Variant fromCom(const VARIANT& value, ParamType expected) {
    const VARTYPE vt = V_VT(&value);
    if (vt == (VT_BYREF | VT_VARIANT)) {
        if (!V_VARIANTREF(&value)) mismatch("a null reference");
        return fromCom(*V_VARIANTREF(&value), expected);
    }
    const bool ref = (vt & VT_BYREF) != 0;
    const VARTYPE type = vt & ~VT_BYREF;
    if (ref && !V_BYREF(&value)) mismatch("a null reference");
    if (type & VT_ARRAY)
        return arrayOf(ref ? *V_ARRAYREF(&value) : V_ARRAY(&value), type & ~VT_ARRAY, expected);
    switch (type) {
    case VT_EMPTY:
        return {};
    case VT_NULL:
        return Variant::null();
    case VT_ERROR:
        if (isMissing(value)) return {};
        mismatch("an error value");
    case VT_I2:
        return Variant::i2(ref ? *V_I2REF(&value) : V_I2(&value));
    case VT_I4:
        return Variant::i4(ref ? *V_I4REF(&value) : V_I4(&value));
    case VT_UI1:
        return Variant::ui1(ref ? *V_UI1REF(&value) : V_UI1(&value));
    case VT_R4:
        return Variant::r4(ref ? *V_R4REF(&value) : V_R4(&value));
    case VT_R8:
        return Variant::r8(ref ? *V_R8REF(&value) : V_R8(&value));
    case VT_BOOL:
        return Variant::boolean((ref ? *V_BOOLREF(&value) : V_BOOL(&value)) != VARIANT_FALSE);
    case VT_DATE:
        return Variant::date(ComDate{ref ? *V_DATEREF(&value) : V_DATE(&value)});
    case VT_BSTR:
        return Variant::bstr(utf8Of(ref ? *V_BSTRREF(&value) : V_BSTR(&value)));
    case VT_RECORD:
        return recordValueOf(V_RECORDINFO(&value), V_RECORD(&value));
    case VT_DISPATCH:
    case VT_UNKNOWN: {
        IRecordInfo* info = nullptr;
        void* data = nullptr;
        IUnknown* object = ref ? *V_UNKNOWNREF(&value) : V_UNKNOWN(&value);
        if (unwrapRecord(object, &info, &data)) return recordValueOf(info, data);
        mismatch("an object where the interface passes values");
    }
    default:
        return numberOf(value);
    }
}

void toCom(const Variant& value, VARIANT* out, RecordForm form) {
    VariantInit(out);
    switch (value.type()) {
    case VarType::Empty:
        return;
    case VarType::Null:
        V_VT(out) = VT_NULL;
        return;
    case VarType::I2:
        V_VT(out) = VT_I2;
        V_I2(out) = value.asI2();
        return;
    case VarType::I4:
        V_VT(out) = VT_I4;
        V_I4(out) = value.asI4();
        return;
    case VarType::UI1:
        V_VT(out) = VT_UI1;
        V_UI1(out) = value.asUI1();
        return;
    case VarType::R4:
        V_VT(out) = VT_R4;
        V_R4(out) = value.asR4();
        return;
    case VarType::R8:
        V_VT(out) = VT_R8;
        V_R8(out) = value.asR8();
        return;
    case VarType::Bstr:
        V_VT(out) = VT_BSTR;
        V_BSTR(out) = bstrOf(value.asBstr());
        return;
    case VarType::Bool:
        V_VT(out) = VT_BOOL;
        V_BOOL(out) = value.asBool() ? VARIANT_TRUE : VARIANT_FALSE;
        return;
    case VarType::Date:
        V_VT(out) = VT_DATE;
        V_DATE(out) = value.asDate().value;
        return;
    case VarType::Bytes: {
        const auto& bytes = value.asBytes();
        SAFEARRAY* array =
            SafeArrayCreateVector(VT_UI1, bytes.lowerBound, static_cast<ULONG>(bytes.size()));
        if (!array) throw CoercionError(E_Fail, "out of memory for a byte array");
        {
            ArrayData data(array, 1);
            std::copy(bytes.items.begin(), bytes.items.end(), data.items<std::uint8_t>());
        }
        V_VT(out) = VT_ARRAY | VT_UI1;
        V_ARRAY(out) = array;
        return;
    }
    case VarType::Channels:
        if (form == RecordForm::Objects) {
            V_ARRAY(out) = objectArray<::Channellist>(RecordKind::Channellist, value.asChannels());
            V_VT(out) = VT_ARRAY | VT_VARIANT;
            return;
        }
        V_ARRAY(out) = recordArray<::Channellist>(RecordKind::Channellist, value.asChannels());
        V_VT(out) = VT_ARRAY | VT_RECORD;
        return;
    case VarType::ChannelsDigi:
        if (form == RecordForm::Objects) {
            V_ARRAY(out) =
                objectArray<::ChannellistDigi>(RecordKind::ChannellistDigi, value.asChannelsDigi());
            V_VT(out) = VT_ARRAY | VT_VARIANT;
            return;
        }
        V_ARRAY(out) =
            recordArray<::ChannellistDigi>(RecordKind::ChannellistDigi, value.asChannelsDigi());
        V_VT(out) = VT_ARRAY | VT_RECORD;
        return;
    case VarType::Variants: {
        const auto& items = value.asVariants();
        SAFEARRAY* array =
            SafeArrayCreateVector(VT_VARIANT, items.lowerBound, static_cast<ULONG>(items.size()));
        if (!array) throw CoercionError(E_Fail, "out of memory for an array");
        {
            ArrayData data(array, sizeof(VARIANT));
            for (std::size_t i = 0; i < items.size(); ++i)
                toCom(items.items[i], &data.items<VARIANT>()[i], form);
        }
        V_VT(out) = VT_ARRAY | VT_VARIANT;
        V_ARRAY(out) = array;
        return;
    }
    case VarType::Head:
        newRecord(RecordKind::ChannelHead, out,
                  [&](void* data) { write(value.asHead(), *static_cast<::ChannelHead*>(data)); });
        break;
    case VarType::FileHeader:
        newRecord(RecordKind::FileHead, out,
                  [&](void* data) { write(value.asFileHead(), *static_cast<::FileHead*>(data)); });
        break;
    }
    if (form == RecordForm::Objects && V_VT(out) == VT_RECORD) {
        VARIANT record = *out;
        wrapRecord(record, out);
    }
}

void storeByRef(const Variant& value, const VARIANT& target, RecordForm form) {
    const VARTYPE type = V_VT(&target) & ~VT_BYREF;
    if (!V_BYREF(&target)) mismatch("a null reference");
    if (type == VT_VARIANT) {
        const VARTYPE held = V_VT(V_VARIANTREF(&target));
        if (held == VT_RECORD || held == (VT_ARRAY | VT_RECORD)) form = RecordForm::Typed;
        VARIANT fresh;
        toCom(value, &fresh, form);
        VariantClear(V_VARIANTREF(&target));
        *V_VARIANTREF(&target) = fresh;
        return;
    }
    if (type == VT_RECORD) {
        RecordKind kind{};
        if (!recordKindOf(V_RECORDINFO(&target), &kind)) mismatch("a record of another type");
        if (kind == RecordKind::ChannelHead && value.type() == VarType::Head)
            return write(value.asHead(), *static_cast<::ChannelHead*>(V_RECORD(&target)));
        if (kind == RecordKind::FileHead && value.type() == VarType::FileHeader)
            return write(value.asFileHead(), *static_cast<::FileHead*>(V_RECORD(&target)));
        mismatch("a record of another type");
    }
    VARIANT fresh;
    toCom(value, &fresh);
    if (type & VT_ARRAY) {
        if (V_VT(&fresh) != type) {
            VariantClear(&fresh);
            mismatch("an array of another element type");
        }
        if (*V_ARRAYREF(&target)) SafeArrayDestroy(*V_ARRAYREF(&target));
        *V_ARRAYREF(&target) = V_ARRAY(&fresh);
        return;
    }
    if (V_VT(&fresh) != type) {
        const HRESULT hr = VariantChangeType(&fresh, &fresh, 0, type);
        if (FAILED(hr)) {
            VariantClear(&fresh);
            throw CoercionError(hr == DISP_E_OVERFLOW ? DispEOverflow : DispETypeMismatch,
                                "a value that does not fit the caller's variable");
        }
    }
    switch (type) {
    case VT_I2:
        *V_I2REF(&target) = V_I2(&fresh);
        return;
    case VT_I4:
        *V_I4REF(&target) = V_I4(&fresh);
        return;
    case VT_UI1:
        *V_UI1REF(&target) = V_UI1(&fresh);
        return;
    case VT_R4:
        *V_R4REF(&target) = V_R4(&fresh);
        return;
    case VT_R8:
        *V_R8REF(&target) = V_R8(&fresh);
        return;
    case VT_BOOL:
        *V_BOOLREF(&target) = V_BOOL(&fresh);
        return;
    case VT_DATE:
        *V_DATEREF(&target) = V_DATE(&fresh);
        return;
    case VT_BSTR:
        SysFreeString(*V_BSTRREF(&target));
        *V_BSTRREF(&target) = V_BSTR(&fresh); // the caller now owns the string
        return;
    default:
        VariantClear(&fresh);
        mismatch("a by-reference variable of a type the interface does not pass");
    }
}

} // namespace sondrel::com
