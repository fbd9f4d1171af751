#pragma once
// A dispinterface's type information made up by a test: named functions with named
// parameters, optional failures, and counts of what was handed out and given back.
#include <oaidl.h>

#include <string>
#include <utility>
#include <vector>

#include "FakeCom.h"

namespace pelmora::test {

struct FakeEvent {
    std::wstring name;
    std::vector<std::wstring> parameters;
    HRESULT funcDescResult = S_OK;  // what GetFuncDesc answers for this function
    HRESULT namesResult = S_OK;     // what GetNames answers for it
};

class FakeEventTypeInfo final : public FakeObject<ITypeInfo> {
public:
    explicit FakeEventTypeInfo(std::vector<FakeEvent> events) : events_(std::move(events)) {}
    FakeEventTypeInfo(const FakeEventTypeInfo&) = delete;
    FakeEventTypeInfo& operator=(const FakeEventTypeInfo&) = delete;

    HRESULT typeAttrResult = S_OK;
    int typeAttrsOut = 0;  // handed out and not yet given back
    int funcDescsOut = 0;

    // ITypeInfo: what a reader of events uses
    HRESULT STDMETHODCALLTYPE GetTypeAttr(TYPEATTR** out) override {
        if (FAILED(typeAttrResult)) return typeAttrResult;
        auto* attr = new TYPEATTR{};
        attr->typekind = TKIND_DISPATCH;
        attr->cFuncs = static_cast<WORD>(events_.size());
        attr->memidConstructor = MEMBERID_NIL;
        attr->memidDestructor = MEMBERID_NIL;
        *out = attr;
        ++typeAttrsOut;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetFuncDesc(UINT index, FUNCDESC** out) override {
        if (index >= events_.size()) return TYPE_E_ELEMENTNOTFOUND;
        if (FAILED(events_[index].funcDescResult)) return events_[index].funcDescResult;
        auto* desc = new FUNCDESC{};
        desc->memid = MemberIdOf(index);
        desc->funckind = FUNC_DISPATCH;
        desc->invkind = INVOKE_FUNC;
        desc->callconv = CC_STDCALL;
        desc->cParams = static_cast<SHORT>(events_[index].parameters.size());
        *out = desc;
        ++funcDescsOut;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetNames(MEMBERID id, BSTR* names, UINT maxNames, UINT* count) override {
        *count = 0;
        const UINT index = static_cast<UINT>(id - MemberIdOf(0));
        if (index >= events_.size()) return TYPE_E_ELEMENTNOTFOUND;
        const FakeEvent& event = events_[index];
        if (FAILED(event.namesResult)) return event.namesResult;
        std::vector<const std::wstring*> all{&event.name};
        for (const std::wstring& parameter : event.parameters) all.push_back(&parameter);
        for (UINT i = 0; i < all.size() && i < maxNames; ++i) {
            names[i] = ::SysAllocString(all[i]->c_str());
            ++*count;
        }
        return S_OK;
    }
    void STDMETHODCALLTYPE ReleaseTypeAttr(TYPEATTR* attr) override {
        delete attr;
        --typeAttrsOut;
    }
    void STDMETHODCALLTYPE ReleaseFuncDesc(FUNCDESC* desc) override {
        delete desc;
        --funcDescsOut;
    }

    // ITypeInfo: nothing a reader of events needs
    HRESULT STDMETHODCALLTYPE GetTypeComp(ITypeComp**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetVarDesc(UINT, VARDESC**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetRefTypeOfImplType(UINT, HREFTYPE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetImplTypeFlags(UINT, INT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(LPOLESTR*, UINT, MEMBERID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(PVOID, MEMBERID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetDocumentation(MEMBERID, BSTR*, BSTR*, DWORD*, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDllEntry(MEMBERID, INVOKEKIND, BSTR*, BSTR*, WORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetRefTypeInfo(HREFTYPE, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AddressOfMember(MEMBERID, INVOKEKIND, PVOID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID, PVOID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetMops(MEMBERID, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetContainingTypeLib(ITypeLib**, UINT*) override { return E_NOTIMPL; }
    void STDMETHODCALLTYPE ReleaseVarDesc(VARDESC*) override {}

private:
    static MEMBERID MemberIdOf(UINT index) { return 1000 + static_cast<MEMBERID>(index); }

    std::vector<FakeEvent> events_;
};

}  // namespace pelmora::test
