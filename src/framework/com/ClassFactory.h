#pragma once
// The class object of one object map entry, made once and cached by the module.
//
// Every reference to the factory but the module's own counts in the module's lock
// count, as each LockServer(TRUE) does: a caller that holds the class object keeps the
// DLL loaded, while the cached factory alone does not. The module's reference is the
// factory's first one.
#include <objbase.h>

#include "framework/com/ComBase.h"
#include "framework/com/ObjectMap.h"

namespace pelmora::com {

class DllModule;

class ClassFactory final : public IClassFactory {
public:
    ClassFactory(CreateInstanceFn createInstance, DllModule& module) noexcept
        : createInstance_(createInstance), module_(module) {}
    ClassFactory(const ClassFactory&) = delete;
    ClassFactory& operator=(const ClassFactory&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
    STDMETHODIMP LockServer(BOOL lock) override;

private:
    ~ClassFactory() = default;

    ReferenceCount references_;
    CreateInstanceFn createInstance_;
    DllModule& module_;
};

}  // namespace pelmora::com
