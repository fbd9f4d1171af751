#include "framework/com/ClassFactory.h"

#include "framework/com/DllModule.h"

namespace pelmora::com {

namespace {
// The module's own reference: the first, and the last to go.
constexpr ULONG kModuleReference = 1;
}  // namespace

STDMETHODIMP ClassFactory::QueryInterface(REFIID iid, void** out) {
    const InterfaceEntry entries[] = {{&IID_IClassFactory, static_cast<IClassFactory*>(this)}};
    return QueryInterfaceFromTable(entries, iid, out);
}

STDMETHODIMP_(ULONG) ClassFactory::AddRef() {
    const ULONG references = references_.Add();
    if (references > kModuleReference) module_.Lock();
    return references;
}

STDMETHODIMP_(ULONG) ClassFactory::Release() {
    const ULONG left = references_.Drop();
    if (left >= kModuleReference) module_.Unlock();
    if (left == 0) delete this;
    return left;
}

STDMETHODIMP ClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer && !IsEqualIID(iid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
    return createInstance_(outer, iid, out);
}

STDMETHODIMP ClassFactory::LockServer(BOOL lock) {
    if (lock)
        module_.Lock();
    else
        module_.Unlock();
    return S_OK;
}

}  // namespace pelmora::com
