#include "ScriptMoniker.h"

#include <new>
#include <utility>

#include "ScriptComponent.h"
#include "ScriptDisplayName.h"
#include "ScriptRuntimeGuids.h"
#include "framework/com/ComPtr.h"
#include "framework/win/HResult.h"

namespace pelmora::scriptrt {

namespace {

template <typename T>
HRESULT ClearOut(T** out) noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    return S_OK;
}

}  // namespace

HRESULT ScriptMoniker::Create(std::wstring path, IMoniker** out) noexcept {
    PELMORA_RETURN_IF_FAILED(ClearOut(out));
    auto* moniker = new (std::nothrow) ScriptMoniker();
    if (!moniker) return E_OUTOFMEMORY;
    moniker->path_ = std::move(path);
    moniker->AddRef();
    *out = moniker;
    return S_OK;
}

STDMETHODIMP ScriptMoniker::GetClassID(CLSID* classId) {
    if (!classId) return E_POINTER;
    *classId = kScriptMonikerClassId;
    return S_OK;
}

STDMETHODIMP ScriptMoniker::IsDirty() { return S_FALSE; }

STDMETHODIMP ScriptMoniker::Load(IStream*) { return E_NOTIMPL; }

STDMETHODIMP ScriptMoniker::Save(IStream*, BOOL) { return E_NOTIMPL; }

STDMETHODIMP ScriptMoniker::GetSizeMax(ULARGE_INTEGER*) { return E_NOTIMPL; }

STDMETHODIMP ScriptMoniker::BindToObject(IBindCtx*, IMoniker* left, REFIID iid, void** out) {
    PELMORA_RETURN_IF_FAILED(ClearOut(out));
    // A script name stands on its own; nothing can be to its left.
    if (left) return E_INVALIDARG;
    return ScriptComponent::Create(path_, iid, out);
}

STDMETHODIMP ScriptMoniker::BindToStorage(IBindCtx*, IMoniker*, REFIID, void** out) {
    PELMORA_RETURN_IF_FAILED(ClearOut(out));
    return MK_E_NOSTORAGE;
}

STDMETHODIMP ScriptMoniker::Reduce(IBindCtx*, DWORD, IMoniker**, IMoniker** reduced) {
    PELMORA_RETURN_IF_FAILED(ClearOut(reduced));
    *reduced = this;
    AddRef();
    return MK_S_REDUCED_TO_SELF;
}

STDMETHODIMP ScriptMoniker::ComposeWith(IMoniker* right, BOOL onlyIfNotGeneric, IMoniker** composite) {
    PELMORA_RETURN_IF_FAILED(ClearOut(composite));
    if (!right) return E_INVALIDARG;
    if (onlyIfNotGeneric) return MK_E_NEEDGENERIC;
    return ::CreateGenericComposite(this, right, composite);
}

STDMETHODIMP ScriptMoniker::Enum(BOOL, IEnumMoniker** enumerator) { return ClearOut(enumerator); }

STDMETHODIMP ScriptMoniker::IsEqual(IMoniker* other) {
    if (!other) return E_INVALIDARG;
    CLSID otherClass{};
    if (FAILED(other->GetClassID(&otherClass)) || !IsEqualCLSID(otherClass, kScriptMonikerClassId)) return S_FALSE;
    com::ComPtr<IBindCtx> context;
    PELMORA_RETURN_IF_FAILED(::CreateBindCtx(0, context.put()));
    LPOLESTR otherName = nullptr;
    PELMORA_RETURN_IF_FAILED(other->GetDisplayName(context.get(), nullptr, &otherName));
    const bool same = SameScriptDisplayName(otherName, path_);
    ::CoTaskMemFree(otherName);
    return same ? S_OK : S_FALSE;
}

STDMETHODIMP ScriptMoniker::Hash(DWORD* hash) {
    if (!hash) return E_POINTER;
    *hash = HashScriptPath(path_);
    return S_OK;
}

STDMETHODIMP ScriptMoniker::IsRunning(IBindCtx*, IMoniker*, IMoniker*) { return S_FALSE; }

STDMETHODIMP ScriptMoniker::GetTimeOfLastChange(IBindCtx*, IMoniker*, FILETIME*) { return MK_E_UNAVAILABLE; }

STDMETHODIMP ScriptMoniker::Inverse(IMoniker** inverse) {
    PELMORA_RETURN_IF_FAILED(ClearOut(inverse));
    return MK_E_NOINVERSE;
}

STDMETHODIMP ScriptMoniker::CommonPrefixWith(IMoniker*, IMoniker** prefix) {
    PELMORA_RETURN_IF_FAILED(ClearOut(prefix));
    return MK_E_NOPREFIX;
}

STDMETHODIMP ScriptMoniker::RelativePathTo(IMoniker*, IMoniker** relativePath) {
    PELMORA_RETURN_IF_FAILED(ClearOut(relativePath));
    return MK_E_NOTBINDABLE;
}

STDMETHODIMP ScriptMoniker::GetDisplayName(IBindCtx*, IMoniker*, LPOLESTR* name) {
    PELMORA_RETURN_IF_FAILED(ClearOut(name));
    return MakeScriptDisplayName(path_, *name);
}

STDMETHODIMP ScriptMoniker::ParseDisplayName(IBindCtx*, IMoniker*, LPOLESTR, ULONG* eaten, IMoniker** out) {
    if (eaten) *eaten = 0;
    PELMORA_RETURN_IF_FAILED(ClearOut(out));
    return MK_E_SYNTAX;
}

STDMETHODIMP ScriptMoniker::IsSystemMoniker(DWORD* system) {
    if (!system) return E_POINTER;
    *system = MKSYS_NONE;
    return S_FALSE;
}

}  // namespace pelmora::scriptrt
