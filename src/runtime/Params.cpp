#include "runtime/Params.h"

#include "framework/com/ExceptionBarrier.h"
#include "framework/com/VariantByValue.h"
#include "framework/win/HResult.h"

namespace pelmora {

HRESULT CParams::Create(ITypeInfo* eventTypeInfo, com::ComPtr<CParams>& params) noexcept {
    params.reset();
    if (!eventTypeInfo) return E_POINTER;
    return com::ExceptionBarrier([&] {
        params = com::ComPtr<CParams>(new CParams(eventTypeInfo));
        return S_OK;
    });
}

CParams::CParams(ITypeInfo* eventTypeInfo) : names_(new CParamsTypeInfo(eventTypeInfo)) {}

// The values are cleared and the names released with the members.
CParams::~CParams() = default;

STDMETHODIMP CParams::GetTypeInfoCount(UINT*) { return E_NOTIMPL; }
STDMETHODIMP CParams::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }

STDMETHODIMP CParams::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    return names_->GetIDsOfNames(names, count, ids);
}

bool CParams::MapMemberId(DISPID id, ULONG& member) const noexcept {
    // Ids are unsigned here: the negative reserved ids lie far beyond any member.
    const ULONGLONG requested = static_cast<ULONG>(id);
    const ULONGLONG count = values_.size();
    if (requested < count) {
        member = static_cast<ULONG>(requested);
        return true;
    }
    if (requested < 2 * count) {
        member = static_cast<ULONG>(requested - count);
        return true;
    }
    return false;
}

HRESULT CParams::PutValue(ULONG member, const DISPPARAMS* arguments) noexcept {
    if (!arguments || (arguments->cArgs > 0 && !arguments->rgvarg)) return E_INVALIDARG;
    if (arguments->cArgs == 0) return DISP_E_BADPARAMCOUNT;
    // Stored by value: a reference into the caller's argument would dangle after the call.
    com::Variant value;
    PELMORA_RETURN_IF_FAILED(com::CopyByValue(value.get(), arguments->rgvarg[0]));
    values_[member] = std::move(value);
    return S_OK;
}

// Property get and put only; an id beyond the aliases is accepted and does nothing.
STDMETHODIMP CParams::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* arguments, VARIANT* result,
                             EXCEPINFO*, UINT*) {
    ULONG member = 0;
    const bool known = MapMemberId(id, member);
    switch (flags) {
        case DISPATCH_PROPERTYGET:
            if (!known || !result) return S_OK;
            return ::VariantCopy(result, values_[member].get());
        case DISPATCH_PROPERTYPUT:
        case DISPATCH_PROPERTYPUTREF:
            if (!known) return S_OK;
            return PutValue(member, arguments);
        default:
            return E_NOTIMPL;
    }
}

STDMETHODIMP CParams::GetDispID(BSTR name, DWORD, DISPID* id) {
    return names_->GetIDsOfNames(&name, 1, id);
}

STDMETHODIMP CParams::InvokeEx(DISPID id, LCID lcid, WORD flags, DISPPARAMS* arguments, VARIANT* result,
                               EXCEPINFO* exception, IServiceProvider*) {
    return Invoke(id, IID_NULL, lcid, flags, arguments, result, exception, nullptr);
}

STDMETHODIMP CParams::DeleteMemberByName(BSTR, DWORD) { return E_NOTIMPL; }
STDMETHODIMP CParams::DeleteMemberByDispID(DISPID) { return E_NOTIMPL; }

STDMETHODIMP CParams::GetMemberProperties(DISPID, DWORD, DWORD* properties) {
    if (!properties) return E_POINTER;
    *properties = fdexPropCanGet | fdexPropCanPut;
    return S_OK;
}

STDMETHODIMP CParams::GetMemberName(DISPID id, BSTR* name) {
    UINT count = 0;
    return names_->GetNames(id, name, 1, &count);
}

// Enumerates exactly the ids 0 to n-1, in the order the values were added.
STDMETHODIMP CParams::GetNextDispID(DWORD, DISPID id, DISPID* next) {
    if (!next) return E_POINTER;
    const LONGLONG following = static_cast<LONGLONG>(id) + 1;
    if (id != DISPID_STARTENUM && id < 0) return S_FALSE;
    if (following >= static_cast<LONGLONG>(values_.size())) return S_FALSE;
    *next = static_cast<DISPID>(following);
    return S_OK;
}

STDMETHODIMP CParams::GetNameSpaceParent(IUnknown**) { return E_NOTIMPL; }

HRESULT CParams::AddValue(const wchar_t* name, const VARIANT& value) noexcept {
    com::Variant copy;
    PELMORA_RETURN_IF_FAILED(copy.CopyFrom(value));
    return AddValue(name, std::move(copy));
}

HRESULT CParams::AddValue(const wchar_t* name, com::Variant&& value) noexcept {
    PELMORA_RETURN_IF_FAILED(com::ExceptionBarrier([&] {
        values_.push_back(std::move(value));
        return S_OK;
    }));
    // Names and values keep the same ids: a name that cannot be stored takes its value back.
    const HRESULT named = names_->AddName(name);
    if (FAILED(named)) {
        value = std::move(values_.back());
        values_.pop_back();
    }
    return named;
}

HRESULT CParams::Reserve(ULONG count) noexcept {
    return com::ExceptionBarrier([&] {
        values_.reserve(count);
        return names_->Reserve(count);
    });
}

const VARIANT* CParams::FindValue(const wchar_t* name) const noexcept {
    LPOLESTR names[1] = {const_cast<wchar_t*>(name)};
    MEMBERID id = DISPID_UNKNOWN;
    if (names_->GetIDsOfNames(names, 1, &id) != S_OK) return nullptr;
    const auto member = static_cast<ULONG>(id);
    return member < values_.size() ? values_[member].get() : nullptr;
}

}  // namespace pelmora
