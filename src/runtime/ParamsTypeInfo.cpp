#include "runtime/ParamsTypeInfo.h"

#include <cwchar>
#include <new>

#include "framework/com/ExceptionBarrier.h"
#include "framework/win/HResult.h"

namespace pelmora {

namespace {

// Exact comparison of UTF-16 code units; an absent name equals only the empty string.
bool SameName(const std::wstring& held, const wchar_t* requested) noexcept {
    const size_t length = requested ? std::wcslen(requested) : 0;
    if (held.size() != length) return false;
    return length == 0 || std::wmemcmp(held.data(), requested, length) == 0;
}

}  // namespace

CParamsTypeInfo::CParamsTypeInfo(ITypeInfo* eventTypeInfo) : eventTypeInfo_(eventTypeInfo) {}

CParamsTypeInfo::~CParamsTypeInfo() {
    // Descriptions a caller never gave back still go back to the event type information.
    accessors_.clear();
}

// The event interface's attributes, counting the members as a put and a get accessor each.
STDMETHODIMP CParamsTypeInfo::GetTypeAttr(TYPEATTR** attributes) {
    if (!attributes) return E_POINTER;
    const HRESULT hr = eventTypeInfo_->GetTypeAttr(attributes);
    if (SUCCEEDED(hr) && *attributes) (*attributes)->cFuncs = static_cast<WORD>(2 * names_.size());
    return hr;
}

STDMETHODIMP CParamsTypeInfo::GetTypeComp(ITypeComp**) { return E_NOTIMPL; }

// Index 0 to n-1 describe the put accessors of members 0 to n-1, index n to 2n-1 the
// get accessors. The put accessor gets a parameter array of its own: the borrowed
// description may declare no parameters at all.
STDMETHODIMP CParamsTypeInfo::GetFuncDesc(UINT index, FUNCDESC** description) {
    if (!description) return E_POINTER;
    *description = nullptr;
    com::FuncDescHolder borrowed;
    PELMORA_RETURN_IF_FAILED(eventTypeInfo_->GetFuncDesc(index, borrowed.put(eventTypeInfo_.get())));
    if (!borrowed) return E_UNEXPECTED;
    const ULONG count = NameCount();
    if (index >= 2 * count) return E_INVALIDARG;

    std::unique_ptr<AccessorDescription> accessor(new (std::nothrow) AccessorDescription{});
    if (!accessor) return E_OUTOFMEMORY;
    FUNCDESC& made = accessor->description;
    made = *borrowed.get();
    made.cParamsOpt = 0;
    if (index < count) {
        made.memid = static_cast<MEMBERID>(index);
        made.invkind = INVOKE_PROPERTYPUT;
        made.cParams = 1;
        accessor->value.tdesc.vt = VT_VARIANT;
        accessor->value.paramdesc.wParamFlags = PARAMFLAG_FIN;
        made.lprgelemdescParam = &accessor->value;
    } else {
        made.memid = static_cast<MEMBERID>(index - count);
        made.invkind = INVOKE_PROPERTYGET;
        made.cParams = 0;
        made.lprgelemdescParam = nullptr;
    }
    accessor->borrowed = std::move(borrowed);
    return com::ExceptionBarrier([&] {
        accessors_.push_back(std::move(accessor));
        *description = &made;
        return S_OK;
    });
}

STDMETHODIMP CParamsTypeInfo::GetVarDesc(UINT, VARDESC**) { return E_NOTIMPL; }

STDMETHODIMP CParamsTypeInfo::GetNames(MEMBERID id, BSTR* names, UINT maximum, UINT* count) {
    const auto member = static_cast<ULONG>(id);
    if (member >= names_.size()) return E_INVALIDARG;
    const std::wstring& held = names_[member];
    if (maximum == 0) return S_OK;
    if (!names || !count) return E_POINTER;
    names[0] = ::SysAllocStringLen(held.data(), static_cast<UINT>(held.size()));
    if (!names[0]) return E_OUTOFMEMORY;
    *count = 1;
    return S_OK;
}

STDMETHODIMP CParamsTypeInfo::GetRefTypeOfImplType(UINT, HREFTYPE*) { return E_NOTIMPL; }
STDMETHODIMP CParamsTypeInfo::GetImplTypeFlags(UINT, INT*) { return E_NOTIMPL; }

// Each requested name that matches gets the lowest id of that name; the others keep
// what the caller had in their position.
STDMETHODIMP CParamsTypeInfo::GetIDsOfNames(LPOLESTR* names, UINT count, MEMBERID* ids) {
    if (count > 0 && (!names || !ids)) return E_POINTER;
    HRESULT result = DISP_E_MEMBERNOTFOUND;
    for (UINT position = 0; position < count; ++position) {
        for (size_t id = 0; id < names_.size(); ++id) {
            if (SameName(names_[id], names[position])) {
                ids[position] = static_cast<MEMBERID>(id);
                result = S_OK;
                break;
            }
        }
    }
    return result;
}

STDMETHODIMP CParamsTypeInfo::Invoke(PVOID, MEMBERID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
    return E_NOTIMPL;
}
STDMETHODIMP CParamsTypeInfo::GetDocumentation(MEMBERID, BSTR*, BSTR*, DWORD*, BSTR*) { return E_NOTIMPL; }
STDMETHODIMP CParamsTypeInfo::GetDllEntry(MEMBERID, INVOKEKIND, BSTR*, BSTR*, WORD*) { return E_NOTIMPL; }
STDMETHODIMP CParamsTypeInfo::GetRefTypeInfo(HREFTYPE, ITypeInfo**) { return E_NOTIMPL; }
STDMETHODIMP CParamsTypeInfo::AddressOfMember(MEMBERID, INVOKEKIND, PVOID*) { return E_NOTIMPL; }
STDMETHODIMP CParamsTypeInfo::CreateInstance(IUnknown*, REFIID, PVOID*) { return E_NOTIMPL; }
STDMETHODIMP CParamsTypeInfo::GetMops(MEMBERID, BSTR*) { return E_NOTIMPL; }
STDMETHODIMP CParamsTypeInfo::GetContainingTypeLib(ITypeLib**, UINT*) { return E_NOTIMPL; }

STDMETHODIMP_(void) CParamsTypeInfo::ReleaseTypeAttr(TYPEATTR* attributes) {
    eventTypeInfo_->ReleaseTypeAttr(attributes);
}

STDMETHODIMP_(void) CParamsTypeInfo::ReleaseFuncDesc(FUNCDESC* description) {
    for (auto accessor = accessors_.begin(); accessor != accessors_.end(); ++accessor) {
        if (&(*accessor)->description == description) {
            accessors_.erase(accessor);
            return;
        }
    }
    eventTypeInfo_->ReleaseFuncDesc(description);
}

STDMETHODIMP_(void) CParamsTypeInfo::ReleaseVarDesc(VARDESC* description) {
    eventTypeInfo_->ReleaseVarDesc(description);
}

HRESULT CParamsTypeInfo::AddName(const wchar_t* name) noexcept {
    return com::ExceptionBarrier([&] {
        names_.emplace_back(name ? name : L"");
        return S_OK;
    });
}

HRESULT CParamsTypeInfo::Reserve(ULONG count) noexcept {
    return com::ExceptionBarrier([&] {
        names_.reserve(count);
        return S_OK;
    });
}

}  // namespace pelmora
