#include "type_library.h"

namespace sondrel::com {
namespace {

// The records' identifiers, as the type library gives them.
const GUID& guidOf(RecordKind kind) {
    static const GUID channellist = {
        0x6F1C2A93, 0x3B7E, 0x4D15, {0x9A, 0x0C, 0x5E, 0x2B, 0x7D, 0x4C, 0x8A, 0x01}};
    static const GUID channellistDigi = {
        0x6F1C2A94, 0x3B7E, 0x4D15, {0x9A, 0x0C, 0x5E, 0x2B, 0x7D, 0x4C, 0x8A, 0x01}};
    static const GUID channelHead = {
        0x6F1C2A95, 0x3B7E, 0x4D15, {0x9A, 0x0C, 0x5E, 0x2B, 0x7D, 0x4C, 0x8A, 0x01}};
    static const GUID fileHead = {
        0x6F1C2A96, 0x3B7E, 0x4D15, {0x9A, 0x0C, 0x5E, 0x2B, 0x7D, 0x4C, 0x8A, 0x01}};
    switch (kind) {
    case RecordKind::Channellist:
        return channellist;
    case RecordKind::ChannellistDigi:
        return channellistDigi;
    case RecordKind::ChannelHead:
        return channelHead;
    case RecordKind::FileHead:
        return fileHead;
    }
    return channellist;
}

constexpr RecordKind AllRecords[] = {RecordKind::Channellist, RecordKind::ChannellistDigi,
                                     RecordKind::ChannelHead, RecordKind::FileHead};

} // namespace

HMODULE thisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&thisModule), &module);
    return module;
}

std::wstring modulePath() {
    std::wstring path(MAX_PATH, L'\0');
    while (true) {
        const DWORD n =
            GetModuleFileNameW(thisModule(), path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

ITypeLib* typeLibrary() {
    // Loaded once per process; kept until the process ends.
    static ITypeLib* library = [] {
        ITypeLib* loaded = nullptr;
        if (FAILED(LoadTypeLibEx(modulePath().c_str(), REGKIND_NONE, &loaded)))
            return static_cast<ITypeLib*>(nullptr);
        return loaded;
    }();
    return library;
}

IRecordInfo* recordInfo(RecordKind kind) {
    static IRecordInfo* infos[4] = {};
    IRecordInfo*& info = infos[static_cast<int>(kind)];
    if (!info) {
        ITypeLib* library = typeLibrary();
        ITypeInfo* type = nullptr;
        if (!library || FAILED(library->GetTypeInfoOfGuid(guidOf(kind), &type))) return nullptr;
        GetRecordInfoFromTypeInfo(type, &info);
        type->Release();
    }
    return info;
}

bool recordKindOf(IRecordInfo* info, RecordKind* kind) {
    GUID guid{};
    if (!info || FAILED(info->GetGuid(&guid))) return false;
    for (RecordKind k : AllRecords)
        if (IsEqualGUID(guid, guidOf(k))) {
            *kind = k;
            return true;
        }
    return false;
}

} // namespace sondrel::com
