#pragma once
// The member names of one Params object, as type information: name lookups, and the
// members described as property accessors over the event interface's own descriptions.
#include <oaidl.h>

#include <cstddef>
#include <memory>
#include <memory_resource>
#include <string>
#include <vector>

#include "framework/com/Bstr.h"
#include "framework/com/ComBase.h"
#include "framework/com/ComPtr.h"
#include "framework/com/RecycledAllocation.h"
#include "framework/com/TypeDescriptions.h"

namespace pelmora {

// Answers IUnknown and ITypeInfo.
class CParamsTypeInfo : public com::ComBase<ITypeInfo>, public com::RecycledAllocation<CParamsTypeInfo> {
public:
    // eventTypeInfo must not be null.
    explicit CParamsTypeInfo(ITypeInfo* eventTypeInfo);

    STDMETHODIMP GetTypeAttr(TYPEATTR** attributes) override;
    STDMETHODIMP GetTypeComp(ITypeComp** typeComp) override;
    STDMETHODIMP GetFuncDesc(UINT index, FUNCDESC** description) override;
    STDMETHODIMP GetVarDesc(UINT index, VARDESC** description) override;
    STDMETHODIMP GetNames(MEMBERID id, BSTR* names, UINT maximum, UINT* count) override;
    STDMETHODIMP GetRefTypeOfImplType(UINT index, HREFTYPE* type) override;
    STDMETHODIMP GetImplTypeFlags(UINT index, INT* flags) override;
    STDMETHODIMP GetIDsOfNames(LPOLESTR* names, UINT count, MEMBERID* ids) override;
    STDMETHODIMP Invoke(PVOID instance, MEMBERID id, WORD flags, DISPPARAMS* arguments, VARIANT* result,
                        EXCEPINFO* exception, UINT* argumentError) override;
    STDMETHODIMP GetDocumentation(MEMBERID id, BSTR* name, BSTR* docString, DWORD* helpContext,
                                  BSTR* helpFile) override;
    STDMETHODIMP GetDllEntry(MEMBERID id, INVOKEKIND kind, BSTR* dllName, BSTR* name, WORD* ordinal) override;
    STDMETHODIMP GetRefTypeInfo(HREFTYPE type, ITypeInfo** typeInfo) override;
    STDMETHODIMP AddressOfMember(MEMBERID id, INVOKEKIND kind, PVOID* address) override;
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, PVOID* object) override;
    STDMETHODIMP GetMops(MEMBERID id, BSTR* mops) override;
    STDMETHODIMP GetContainingTypeLib(ITypeLib** typeLib, UINT* index) override;
    STDMETHODIMP_(void) ReleaseTypeAttr(TYPEATTR* attributes) override;
    STDMETHODIMP_(void) ReleaseFuncDesc(FUNCDESC* description) override;
    STDMETHODIMP_(void) ReleaseVarDesc(VARDESC* description) override;

    // Stores name (null for a name the event did not supply) under the next id.
    [[nodiscard]] HRESULT AddName(const wchar_t* name) noexcept;
    // Makes room for count names at once.
    [[nodiscard]] HRESULT Reserve(ULONG count) noexcept;
    [[nodiscard]] ULONG NameCount() const noexcept { return static_cast<ULONG>(names_.size()); }

protected:
    ~CParamsTypeInfo() override;

private:
    // A property accessor handed out by GetFuncDesc: the event's description with our
    // member id, kind and parameter, kept with the borrowed original it was made from.
    struct AccessorDescription {
        FUNCDESC description;
        ELEMDESC value;
        com::FuncDescHolder borrowed;
    };

    com::ComPtr<ITypeInfo> eventTypeInfo_;
    // By id. An absent name is kept as an empty one: both match only the empty string
    // and both are given out as an empty string.
    // In the object itself for an event's few parameters, as the values are.
    static constexpr size_t kInlineNames = 8;
    alignas(std::max_align_t) std::byte nameSpace_[kInlineNames * sizeof(std::wstring)];
    std::pmr::monotonic_buffer_resource nameMemory_{nameSpace_, sizeof(nameSpace_)};
    std::pmr::vector<std::wstring> names_{&nameMemory_};
    std::vector<std::unique_ptr<AccessorDescription>> accessors_;
};

}  // namespace pelmora
