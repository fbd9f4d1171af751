#pragma once
// The object a "script:" name binds to: IDispatch (and IDispatchEx) over the public
// members of one script component.
//
// DISPIDs are 1 + the member's declaration index. A method calls the JScript function
// of its name with the caller's arguments. A property reads through get_<name>() and
// writes through put_<name>(value) when the script defines them, else reads and writes
// the global variable of its name; DISPATCH_PROPERTYPUT and DISPATCH_PROPERTYPUTREF
// both write. Names not declared public are unknown. A script error fails the call
// with DISP_E_EXCEPTION and fills the caller's EXCEPINFO when one is given.
//
// The object owns its script engine and closes it at its last Release.
#include <dispex.h>

#include <string>
#include <vector>

#include "ScriptComponentDefinition.h"
#include "ScriptEngine.h"
#include "framework/com/ComBase.h"

namespace pelmora::scriptrt {

class ScriptComponent : public com::ComBase<IDispatchEx, IDispatch> {
public:
    // Reads the file, starts its scripts and hands out the interface asked for.
    [[nodiscard]] static HRESULT Create(const std::wstring& path, REFIID iid, void** out) noexcept;

    ScriptComponent(const ScriptComponent&) = delete;
    ScriptComponent& operator=(const ScriptComponent&) = delete;

    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** typeInfo) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argumentError) override;

    STDMETHODIMP GetDispID(BSTR name, DWORD options, DISPID* id) override;
    STDMETHODIMP InvokeEx(DISPID id, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                          EXCEPINFO* exception, IServiceProvider* caller) override;
    STDMETHODIMP DeleteMemberByName(BSTR name, DWORD options) override;
    STDMETHODIMP DeleteMemberByDispID(DISPID id) override;
    STDMETHODIMP GetMemberProperties(DISPID id, DWORD fetch, DWORD* properties) override;
    STDMETHODIMP GetMemberName(DISPID id, BSTR* name) override;
    STDMETHODIMP GetNextDispID(DWORD options, DISPID id, DISPID* next) override;
    STDMETHODIMP GetNameSpaceParent(IUnknown** parent) override;

protected:
    ScriptComponent() noexcept = default;
    ~ScriptComponent() override = default;  // engine_ closes the engine

private:

    [[nodiscard]] HRESULT FindMember(const wchar_t* name, bool caseSensitive, DISPID& id) const noexcept;
    [[nodiscard]] const PublicMember* MemberOf(DISPID id) const noexcept;
    [[nodiscard]] HRESULT Dispatch(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                   UINT* argumentError) noexcept;
    [[nodiscard]] HRESULT CallMethod(const PublicMember& member, DISPPARAMS& params, VARIANT* result,
                                     EXCEPINFO* exception, UINT* argumentError);
    [[nodiscard]] HRESULT GetProperty(const PublicMember& member, DISPPARAMS& params, VARIANT* result,
                                      EXCEPINFO* exception, UINT* argumentError);
    [[nodiscard]] HRESULT PutProperty(const PublicMember& member, DISPPARAMS& params, EXCEPINFO* exception,
                                      UINT* argumentError);

    std::vector<PublicMember> members_;
    ScriptEngine engine_;
};

}  // namespace pelmora::scriptrt
