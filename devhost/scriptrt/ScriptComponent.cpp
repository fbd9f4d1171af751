#include "ScriptComponent.h"

#include <new>
#include <utility>

#include "ScriptComponentReader.h"
#include "framework/com/ComPtr.h"
#include "framework/win/HResult.h"

namespace pelmora::scriptrt {

namespace {

constexpr WORD kPutFlags = DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF;
constexpr WORD kGetOrCallFlags = DISPATCH_METHOD | DISPATCH_PROPERTYGET;

bool EqualsIgnoringCase(const std::wstring& a, const wchar_t* b) {
    const size_t length = wcslen(b);
    return a.size() == length && ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b,
                                                        static_cast<int>(length), TRUE) == CSTR_EQUAL;
}

}  // namespace

HRESULT ScriptComponent::Create(const std::wstring& path, REFIID iid, void** out) noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    ScriptComponentDefinition definition;
    PELMORA_RETURN_IF_FAILED(ReadScriptComponent(path, definition));
    auto* created = new (std::nothrow) ScriptComponent();
    if (!created) return E_OUTOFMEMORY;
    const com::ComPtr<ScriptComponent> component(created);
    component->members_ = std::move(definition.members);
    if (definition.reportErrors) component->engine_.ReportErrorsFor(path);
    PELMORA_RETURN_IF_FAILED(component->engine_.Start(definition.scripts));
    return component->QueryInterface(iid, out);
}

STDMETHODIMP ScriptComponent::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP ScriptComponent::GetTypeInfo(UINT, LCID, ITypeInfo** typeInfo) {
    if (!typeInfo) return E_POINTER;
    *typeInfo = nullptr;
    return DISP_E_BADINDEX;
}

STDMETHODIMP ScriptComponent::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    if (count == 0) return S_OK;
    if (!names || !ids) return E_POINTER;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    PELMORA_RETURN_IF_FAILED(FindMember(names[0], false, ids[0]));
    // Parameters are passed by position only.
    return count > 1 ? DISP_E_UNKNOWNNAME : S_OK;
}

STDMETHODIMP ScriptComponent::Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT* argumentError) {
    if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    return Dispatch(id, flags, params, result, exception, argumentError);
}

STDMETHODIMP ScriptComponent::GetDispID(BSTR name, DWORD options, DISPID* id) {
    if (!id) return E_POINTER;
    *id = DISPID_UNKNOWN;
    return FindMember(name, (options & fdexNameCaseSensitive) != 0, *id);
}

STDMETHODIMP ScriptComponent::InvokeEx(DISPID id, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                       EXCEPINFO* exception, IServiceProvider*) {
    return Dispatch(id, flags, params, result, exception, nullptr);
}

STDMETHODIMP ScriptComponent::DeleteMemberByName(BSTR, DWORD) { return S_FALSE; }

STDMETHODIMP ScriptComponent::DeleteMemberByDispID(DISPID) { return S_FALSE; }

STDMETHODIMP ScriptComponent::GetMemberProperties(DISPID id, DWORD fetch, DWORD* properties) {
    if (!properties) return E_POINTER;
    *properties = 0;
    const PublicMember* member = MemberOf(id);
    if (!member) return DISP_E_UNKNOWNNAME;
    const DWORD all = member->kind == PublicMemberKind::Method
                          ? fdexPropCannotGet | fdexPropCannotPut | fdexPropCannotPutRef | fdexPropCanCall
                          : fdexPropCanGet | fdexPropCanPut | fdexPropCanPutRef | fdexPropCannotCall;
    *properties = all & fetch;
    return S_OK;
}

STDMETHODIMP ScriptComponent::GetMemberName(DISPID id, BSTR* name) {
    if (!name) return E_POINTER;
    *name = nullptr;
    const PublicMember* member = MemberOf(id);
    if (!member) return DISP_E_UNKNOWNNAME;
    *name = ::SysAllocStringLen(member->name.data(), static_cast<UINT>(member->name.size()));
    return *name ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP ScriptComponent::GetNextDispID(DWORD, DISPID id, DISPID* next) {
    if (!next) return E_POINTER;
    *next = DISPID_UNKNOWN;
    if (id != DISPID_STARTENUM && !MemberOf(id)) return E_INVALIDARG;
    // DISPID k names index k - 1, so the next index is k (0 after the start).
    const size_t nextIndex = id == DISPID_STARTENUM ? 0 : static_cast<size_t>(id);
    if (nextIndex >= members_.size()) return S_FALSE;
    *next = static_cast<DISPID>(nextIndex + 1);
    return S_OK;
}

STDMETHODIMP ScriptComponent::GetNameSpaceParent(IUnknown** parent) {
    if (!parent) return E_POINTER;
    *parent = nullptr;
    return E_NOTIMPL;
}

HRESULT ScriptComponent::FindMember(const wchar_t* name, bool caseSensitive, DISPID& id) const noexcept {
    if (!name) return DISP_E_UNKNOWNNAME;
    for (size_t i = 0; i < members_.size(); ++i) {
        if (members_[i].name == name) {
            id = static_cast<DISPID>(i + 1);
            return S_OK;
        }
    }
    if (!caseSensitive) {
        for (size_t i = 0; i < members_.size(); ++i) {
            if (EqualsIgnoringCase(members_[i].name, name)) {
                id = static_cast<DISPID>(i + 1);
                return S_OK;
            }
        }
    }
    return DISP_E_UNKNOWNNAME;
}

const PublicMember* ScriptComponent::MemberOf(DISPID id) const noexcept {
    if (id < 1 || static_cast<size_t>(id) > members_.size()) return nullptr;
    return &members_[static_cast<size_t>(id) - 1];
}

HRESULT ScriptComponent::Dispatch(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                  UINT* argumentError) noexcept {
    const PublicMember* member = MemberOf(id);
    if (!member) return DISP_E_MEMBERNOTFOUND;
    DISPPARAMS noArguments{};
    DISPPARAMS& arguments = params ? *params : noArguments;
    if ((arguments.cArgs > 0 && !arguments.rgvarg) || arguments.cNamedArgs > arguments.cArgs ||
        (arguments.cNamedArgs > 0 && !arguments.rgdispidNamedArgs)) {
        return E_INVALIDARG;
    }
    // The script may call back into this object; keep it alive until the call returns.
    const com::ComPtr<ScriptComponent> self(this);
    try {
        if (flags & kPutFlags) {
            if (flags & kGetOrCallFlags) return E_INVALIDARG;
            if (member->kind != PublicMemberKind::Property) return DISP_E_MEMBERNOTFOUND;
            return PutProperty(*member, arguments, exception, argumentError);
        }
        if (arguments.cNamedArgs > 0) return DISP_E_NONAMEDARGS;
        if (member->kind == PublicMemberKind::Method) {
            if (!(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
            return CallMethod(*member, arguments, result, exception, argumentError);
        }
        if (!(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
        return GetProperty(*member, arguments, result, exception, argumentError);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

HRESULT ScriptComponent::CallMethod(const PublicMember& member, DISPPARAMS& params, VARIANT* result,
                                    EXCEPINFO* exception, UINT* argumentError) {
    DISPID function = DISPID_UNKNOWN;
    if (FAILED(engine_.FindGlobal(member.name, function))) return DISP_E_MEMBERNOTFOUND;
    return engine_.Invoke(function, DISPATCH_METHOD, params, result, exception, argumentError);
}

HRESULT ScriptComponent::GetProperty(const PublicMember& member, DISPPARAMS& params, VARIANT* result,
                                     EXCEPINFO* exception, UINT* argumentError) {
    DISPID target = DISPID_UNKNOWN;
    if (SUCCEEDED(engine_.FindGlobal(L"get_" + member.name, target)))
        return engine_.Invoke(target, DISPATCH_METHOD, params, result, exception, argumentError);
    if (FAILED(engine_.FindGlobal(member.name, target))) {
        // Declared but never assigned: reads as undefined, as the variable would.
        if (result) ::VariantInit(result);
        return S_OK;
    }
    return engine_.Invoke(target, DISPATCH_PROPERTYGET, params, result, exception, argumentError);
}

HRESULT ScriptComponent::PutProperty(const PublicMember& member, DISPPARAMS& params, EXCEPINFO* exception,
                                     UINT* argumentError) {
    if (params.cArgs != 1) return DISP_E_BADPARAMCOUNT;
    if (params.cNamedArgs == 1 && params.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) return DISP_E_PARAMNOTFOUND;
    VARIANT* value = &params.rgvarg[0];
    DISPID target = DISPID_UNKNOWN;
    if (SUCCEEDED(engine_.FindGlobal(L"put_" + member.name, target))) {
        DISPPARAMS call{value, nullptr, 1, 0};
        return engine_.Invoke(target, DISPATCH_METHOD, call, nullptr, exception, argumentError);
    }
    PELMORA_RETURN_IF_FAILED(engine_.EnsureGlobal(member.name, target));
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS put{value, &putId, 1, 1};
    // The variable is assigned the same way whether the caller put by value or by
    // reference: JScript has one kind of assignment.
    return engine_.Invoke(target, DISPATCH_PROPERTYPUT, put, nullptr, exception, argumentError);
}

}  // namespace pelmora::scriptrt
