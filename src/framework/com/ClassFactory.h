#pragma once
// The class object of one object map entry. LockServer counts in the module's lock
// count; the factory itself does not, so the module can cache it.
#include <objbase.h>

#include "framework/com/ObjectMap.h"

namespace pelmora::com {

class DllModule;

class ClassFactory final : public IClassFactory {
public:
    ClassFactory(CreateInstanceFn createInstance, DllModule& module) noexcept
        : createInstance_(createInstance), module_(module) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override;
    STDMETHODIMP LockServer(BOOL lock) override;

private:
    ~ClassFactory() = default;

    LONG refs_ = 0;
    CreateInstanceFn createInstance_;
    DllModule& module_;
};

}  // namespace pelmora::com
