#include "framework/com/ComBase.h"

namespace pelmora::com {

IUnknown* FindInterface(const InterfaceEntry* entries, size_t count, REFIID iid) noexcept {
    if (count == 0 || IsEqualIID(iid, GUID_NULL)) return nullptr;
    if (IsEqualIID(iid, IID_IUnknown)) return entries[0].object;
    for (size_t i = 0; i < count; ++i) {
        if (IsEqualIID(iid, *entries[i].iid)) return entries[i].object;
    }
    return nullptr;
}

HRESULT QueryInterfaceFromTable(const InterfaceEntry* entries, size_t count, REFIID iid, void** out) noexcept {
    return AnswerQuery(FindInterface(entries, count, iid), out);
}

HRESULT AnswerQuery(IUnknown* found, void** out) noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!found) return E_NOINTERFACE;
    found->AddRef();
    *out = found;
    return S_OK;
}

}  // namespace pelmora::com
