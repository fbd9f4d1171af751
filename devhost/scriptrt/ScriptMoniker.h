#pragma once
// The moniker of one "script:<path>" name. Binding it reads the file and starts a new
// script component; each bind makes a fresh object with fresh script globals. It is
// neither persisted nor registered as running.
#include <objidl.h>

#include <string>

#include "framework/com/ComBase.h"

namespace pelmora::scriptrt {

class ScriptMoniker : public com::ComBase<IMoniker, IPersistStream, IPersist> {
public:
    [[nodiscard]] static HRESULT Create(std::wstring path, IMoniker** out) noexcept;

    ScriptMoniker(const ScriptMoniker&) = delete;
    ScriptMoniker& operator=(const ScriptMoniker&) = delete;

    STDMETHODIMP GetClassID(CLSID* classId) override;
    STDMETHODIMP IsDirty() override;
    STDMETHODIMP Load(IStream* stream) override;
    STDMETHODIMP Save(IStream* stream, BOOL clearDirty) override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;

    STDMETHODIMP BindToObject(IBindCtx* context, IMoniker* left, REFIID iid, void** out) override;
    STDMETHODIMP BindToStorage(IBindCtx* context, IMoniker* left, REFIID iid, void** out) override;
    STDMETHODIMP Reduce(IBindCtx* context, DWORD howFar, IMoniker** left, IMoniker** reduced) override;
    STDMETHODIMP ComposeWith(IMoniker* right, BOOL onlyIfNotGeneric, IMoniker** composite) override;
    STDMETHODIMP Enum(BOOL forward, IEnumMoniker** enumerator) override;
    STDMETHODIMP IsEqual(IMoniker* other) override;
    STDMETHODIMP Hash(DWORD* hash) override;
    STDMETHODIMP IsRunning(IBindCtx* context, IMoniker* left, IMoniker* newlyRunning) override;
    STDMETHODIMP GetTimeOfLastChange(IBindCtx* context, IMoniker* left, FILETIME* time) override;
    STDMETHODIMP Inverse(IMoniker** inverse) override;
    STDMETHODIMP CommonPrefixWith(IMoniker* other, IMoniker** prefix) override;
    STDMETHODIMP RelativePathTo(IMoniker* other, IMoniker** relativePath) override;
    STDMETHODIMP GetDisplayName(IBindCtx* context, IMoniker* left, LPOLESTR* name) override;
    STDMETHODIMP ParseDisplayName(IBindCtx* context, IMoniker* left, LPOLESTR name, ULONG* eaten,
                                  IMoniker** out) override;
    STDMETHODIMP IsSystemMoniker(DWORD* system) override;

protected:
    ScriptMoniker() noexcept = default;
    ~ScriptMoniker() override = default;

private:
    std::wstring path_;
};

}  // namespace pelmora::scriptrt
