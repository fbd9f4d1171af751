#pragma once
// IDispatch answered from a registered type library's description of a dual
// interface: names and calls go through the type information (DispGetIDsOfNames,
// DispInvoke), so scripts reach the object's vtable members by name.
#include <oaidl.h>
#include <oleauto.h>

#include "framework/com/ComBase.h"
#include "framework/com/ComPtr.h"
#include "framework/win/HResult.h"

namespace pelmora::com {

// The type information of one interface of a registered type library.
HRESULT LoadRegisteredTypeInfo(REFGUID library, WORD majorVersion, WORD minorVersion, REFIID iid,
                               ComPtr<ITypeInfo>& typeInfo) noexcept;

// Base is the dual interface (or a class implementing it); the type information is
// loaded on first use and kept.
template <class Base>
class TypeInfoDispatch : public Base {
public:
    using Interface = InterfaceOf<Base>;  // what the object is seen as

    TypeInfoDispatch(REFGUID library, WORD majorVersion, REFIID iid) noexcept
        : library_(library), majorVersion_(majorVersion), iid_(iid) {}

    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 1;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** typeInfo) override {
        if (!typeInfo) return E_POINTER;
        *typeInfo = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        PELMORA_RETURN_IF_FAILED(EnsureTypeInfo());
        return typeInfo_.CopyTo(typeInfo);
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        PELMORA_RETURN_IF_FAILED(EnsureTypeInfo());
        return ::DispGetIDsOfNames(typeInfo_.get(), names, count, ids);
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argumentError) override {
        PELMORA_RETURN_IF_FAILED(EnsureTypeInfo());
        return ::DispInvoke(static_cast<Base*>(this), typeInfo_.get(), id, flags, params, result, exception,
                            argumentError);
    }

private:
    HRESULT EnsureTypeInfo() noexcept {
        if (typeInfo_) return S_OK;
        return LoadRegisteredTypeInfo(library_, majorVersion_, 0, iid_, typeInfo_);
    }

    GUID library_;
    WORD majorVersion_;
    IID iid_;
    ComPtr<ITypeInfo> typeInfo_;
};

}  // namespace pelmora::com
