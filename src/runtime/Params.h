#pragma once
// The one argument of a script's event function: the event's arguments as properties
// under their declared names. Members are fixed once made; their values can be read
// and replaced, never by reference.
#include <dispex.h>

#include <cstddef>
#include <memory_resource>
#include <vector>

#include "framework/com/ComBase.h"
#include "framework/com/ComPtr.h"
#include "framework/com/RecycledAllocation.h"
#include "framework/com/Variant.h"
#include "runtime/ParamsTypeInfo.h"

namespace pelmora {

// Answers IUnknown, IDispatch and IDispatchEx.
class CParams : public com::ComBase<IDispatchEx, IDispatch>, public com::RecycledAllocation<CParams> {
public:
    // A Params object without members, with a reference for the caller.
    [[nodiscard]] static HRESULT Create(ITypeInfo* eventTypeInfo, com::ComPtr<CParams>& params) noexcept;

    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** typeInfo) override;
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* arguments, VARIANT* result,
                        EXCEPINFO* exception, UINT* argumentError) override;

    STDMETHODIMP GetDispID(BSTR name, DWORD flags, DISPID* id) override;
    STDMETHODIMP InvokeEx(DISPID id, LCID lcid, WORD flags, DISPPARAMS* arguments, VARIANT* result,
                          EXCEPINFO* exception, IServiceProvider* caller) override;
    STDMETHODIMP DeleteMemberByName(BSTR name, DWORD flags) override;
    STDMETHODIMP DeleteMemberByDispID(DISPID id) override;
    STDMETHODIMP GetMemberProperties(DISPID id, DWORD fetchMask, DWORD* properties) override;
    STDMETHODIMP GetMemberName(DISPID id, BSTR* name) override;
    STDMETHODIMP GetNextDispID(DWORD flags, DISPID id, DISPID* next) override;
    STDMETHODIMP GetNameSpaceParent(IUnknown** parent) override;

    // Adds a member with the next id holding a copy of value; name is null for a
    // parameter the event did not name. On failure the object is as it was.
    [[nodiscard]] HRESULT AddValue(const wchar_t* name, const VARIANT& value) noexcept;
    // The same, taking over value (left empty on success) instead of copying it.
    [[nodiscard]] HRESULT AddValue(const wchar_t* name, com::Variant&& value) noexcept;
    // Makes room for count members at once; the members stay as they are.
    [[nodiscard]] HRESULT Reserve(ULONG count) noexcept;
    // The value of the lowest id with that name, or null.
    [[nodiscard]] const VARIANT* FindValue(const wchar_t* name) const noexcept;
    [[nodiscard]] ULONG ValueCount() const noexcept { return static_cast<ULONG>(values_.size()); }

protected:
    explicit CParams(ITypeInfo* eventTypeInfo);
    ~CParams() override;

private:
    // The member an id names: ids n to 2n-1 stand for 0 to n-1. False beyond.
    [[nodiscard]] bool MapMemberId(DISPID id, ULONG& member) const noexcept;
    HRESULT PutValue(ULONG member, const DISPPARAMS* arguments) noexcept;

    // The values of an event's few parameters live in the object itself, so that an
    // event call does not pay for one more allocation; more of them spill to the heap.
    static constexpr size_t kInlineValues = 8;
    alignas(std::max_align_t) std::byte valueSpace_[kInlineValues * sizeof(com::Variant)];
    std::pmr::monotonic_buffer_resource valueMemory_{valueSpace_, sizeof(valueSpace_)};

    com::ComPtr<CParamsTypeInfo> names_;
    std::pmr::vector<com::Variant> values_{&valueMemory_};  // by id
};

}  // namespace pelmora
