#include <gtest/gtest.h>

#include <dispex.h>

#include "framework/com/TypeDescriptions.h"
#include "runtime/DispatchCalls.h"
#include "runtime/EventTestSupport.h"
#include "runtime/Params.h"

namespace pelmora {
namespace {

using test::GetProperty;
using test::IntValue;
using test::PutProperty;

// A Params object over the window events with the members a and b (ids 0 and 1).
class ParamsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(windowEvents_);
        ASSERT_EQ(S_OK, CParams::Create(windowEvents_.get(), params_));
        ASSERT_EQ(S_OK, params_->AddValue(L"a", IntValue(10)));
        ASSERT_EQ(S_OK, params_->AddValue(L"b", IntValue(20)));
    }

    com::ComPtr<ITypeInfo> windowEvents_ = test::LoadWindowEventsTypeInfo();
    com::ComPtr<CParams> params_;
};

TEST_F(ParamsTest, AnswersOnlyItsDispatchInterfaces) {
    for (const IID* iid : {&IID_IUnknown, &IID_IDispatch, &__uuidof(IDispatchEx)}) {
        com::ComPtr<IUnknown> answer;
        EXPECT_EQ(S_OK, params_->QueryInterface(*iid, answer.put_void()));
        EXPECT_EQ(static_cast<IUnknown*>(static_cast<IDispatchEx*>(params_.get())), answer.get());
    }
    IID windowEventsId{};
    ASSERT_EQ(S_OK, ::CLSIDFromString(test::kWindowEventsId.c_str(), &windowEventsId));
    for (const IID* iid : {&GUID_NULL, &IID_ITypeInfo, static_cast<const IID*>(&windowEventsId)}) {
        void* answer = reinterpret_cast<void*>(1);
        EXPECT_EQ(E_NOINTERFACE, params_->QueryInterface(*iid, &answer));
        EXPECT_EQ(nullptr, answer);
    }
    EXPECT_EQ(E_POINTER, params_->QueryInterface(IID_IDispatch, nullptr));
}

TEST_F(ParamsTest, ManyMembersKeepTheirValuesAndAFreshObjectStartsEmpty) {
    // Far more members than an event has, and objects made one after another, as events
    // make them: none may see another's members.
    for (int round = 0; round < 3; ++round) {
        com::ComPtr<CParams> params;
        ASSERT_EQ(S_OK, CParams::Create(windowEvents_.get(), params));
        EXPECT_EQ(0u, params->ValueCount());
        EXPECT_EQ(nullptr, params->FindValue(L"m0"));
        for (int member = 0; member < 30; ++member) {
            const std::wstring name = L"m" + std::to_wstring(member);
            ASSERT_EQ(S_OK, params->AddValue(name.c_str(), IntValue(round * 100 + member)));
        }
        for (int member = 0; member < 30; ++member) {
            const VARIANT* value = params->FindValue((L"m" + std::to_wstring(member)).c_str());
            ASSERT_NE(nullptr, value);
            EXPECT_EQ(round * 100 + member, V_I4(value));
        }
        com::Variant moved = test::StringValue(L"taken over");
        ASSERT_EQ(S_OK, params->AddValue(L"text", std::move(moved)));
        EXPECT_EQ(VT_EMPTY, V_VT(moved.get()));
        EXPECT_EQ(std::wstring(L"taken over"), V_BSTR(params->FindValue(L"text")));
    }
}

TEST_F(ParamsTest, OnlyPropertyGetAndPutAreInvoked) {
    DISPPARAMS none = {};
    com::Variant result;
    EXPECT_EQ(E_NOTIMPL, params_->Invoke(0, IID_NULL, 0, DISPATCH_METHOD, &none, result.get(), nullptr, nullptr));
    EXPECT_EQ(E_NOTIMPL, params_->Invoke(0, IID_NULL, 0, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &none,
                                         result.get(), nullptr, nullptr));
    EXPECT_EQ(VT_EMPTY, V_VT(result.get()));
    for (DISPID id : {0, 1, 2, 99, -5}) {
        DWORD properties = 0;
        EXPECT_EQ(S_OK, params_->GetMemberProperties(id, grfdexPropCanAll, &properties));
        EXPECT_EQ(DWORD{fdexPropCanGet | fdexPropCanPut}, properties);
    }
}

TEST_F(ParamsTest, PutWithoutArgumentIsRefusedAndKeepsTheValue) {
    DISPPARAMS none = {};
    DISPPARAMS noArray = {nullptr, nullptr, 1, 0};
    EXPECT_EQ(DISP_E_BADPARAMCOUNT, params_->Invoke(0, IID_NULL, 0, DISPATCH_PROPERTYPUT, &none, nullptr, nullptr,
                                                    nullptr));
    EXPECT_EQ(E_INVALIDARG, params_->Invoke(0, IID_NULL, 0, DISPATCH_PROPERTYPUT, &noArray, nullptr, nullptr,
                                            nullptr));
    EXPECT_EQ(E_INVALIDARG, params_->Invoke(0, IID_NULL, 0, DISPATCH_PROPERTYPUTREF, nullptr, nullptr, nullptr,
                                            nullptr));
    EXPECT_EQ(10, V_I4(GetProperty(params_.get(), 0).get()));
}

TEST_F(ParamsTest, PutThroughAliasOrReferenceStoresAPlainValue) {
    LONG callerValue = 33;
    VARIANT reference;
    V_VT(&reference) = VT_BYREF | VT_I4;
    V_I4REF(&reference) = &callerValue;
    EXPECT_EQ(S_OK, PutProperty(params_.get(), 3, reference));  // alias of member 1
    callerValue = 44;
    com::Variant stored = GetProperty(params_.get(), 1);
    ASSERT_EQ(VT_I4, V_VT(stored.get()));
    EXPECT_EQ(33, V_I4(stored.get()));

    EXPECT_EQ(S_OK, PutProperty(params_.get(), 4, IntValue(99)));  // beyond the aliases
    EXPECT_EQ(10, V_I4(GetProperty(params_.get(), 0).get()));
    EXPECT_EQ(33, V_I4(GetProperty(params_.get(), 1).get()));
}

TEST_F(ParamsTest, ScriptEngineLookupNeverCreatesMembers) {
    com::Bstr name(L"c");
    DISPID id = 77;
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, params_->GetDispID(name.get(), fdexNameEnsure | fdexNameCaseInsensitive, &id));
    EXPECT_EQ(77, id);
    com::Bstr upper(L"B");
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, params_->GetDispID(upper.get(), fdexNameCaseInsensitive, &id));
    EXPECT_EQ(2u, params_->ValueCount());
    com::Bstr lower(L"b");
    EXPECT_EQ(S_OK, params_->GetDispID(lower.get(), 0, &id));
    EXPECT_EQ(1, id);
    com::Variant result;
    EXPECT_EQ(S_OK, params_->InvokeEx(id, 0, DISPATCH_PROPERTYGET, nullptr, result.get(), nullptr, nullptr));
    EXPECT_EQ(20, V_I4(result.get()));
}

class ParamsTypeInfoTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(windowEvents_);
        names_ = com::ComPtr<CParamsTypeInfo>(new CParamsTypeInfo(windowEvents_.get()));
        ASSERT_EQ(S_OK, names_->AddName(L"first"));
        ASSERT_EQ(S_OK, names_->AddName(L"second"));
    }

    com::ComPtr<ITypeInfo> windowEvents_ = test::LoadWindowEventsTypeInfo();
    com::ComPtr<CParamsTypeInfo> names_;
};

TEST_F(ParamsTypeInfoTest, DescribesEachMemberAsPutThenGetAccessor) {
    com::TypeAttrHolder attributes;
    ASSERT_EQ(S_OK, names_->GetTypeAttr(attributes.put(names_.get())));
    EXPECT_EQ(4, attributes->cFuncs);

    struct Expected {
        UINT index;
        MEMBERID id;
        INVOKEKIND kind;
        SHORT parameters;
    } accessors[] = {{0, 0, INVOKE_PROPERTYPUT, 1}, {1, 1, INVOKE_PROPERTYPUT, 1},
                     {2, 0, INVOKE_PROPERTYGET, 0}, {3, 1, INVOKE_PROPERTYGET, 0}};
    for (const Expected& expected : accessors) {
        SCOPED_TRACE(expected.index);
        com::FuncDescHolder description;
        ASSERT_EQ(S_OK, names_->GetFuncDesc(expected.index, description.put(names_.get())));
        EXPECT_EQ(expected.id, description->memid);
        EXPECT_EQ(expected.kind, description->invkind);
        ASSERT_EQ(expected.parameters, description->cParams);
        // A put accessor's value parameter must be readable even where the event
        // function it is borrowed from declares no parameters.
        if (expected.parameters) {
            EXPECT_EQ(VT_VARIANT, description->lprgelemdescParam[0].tdesc.vt);
        }
    }
    FUNCDESC* beyond = nullptr;
    EXPECT_EQ(E_INVALIDARG, names_->GetFuncDesc(4, &beyond));
    EXPECT_EQ(nullptr, beyond);
}

TEST_F(ParamsTypeInfoTest, NamesAnswerHeldIdsOnly) {
    BSTR name = nullptr;
    UINT count = 9;
    EXPECT_EQ(E_INVALIDARG, names_->GetNames(2, &name, 1, &count));
    EXPECT_EQ(S_OK, names_->GetNames(1, &name, 0, &count));
    EXPECT_EQ(nullptr, name);
    EXPECT_EQ(9u, count);
    ASSERT_EQ(S_OK, names_->GetNames(1, &name, 1, &count));
    com::Bstr owned = com::Bstr::Attach(name);
    EXPECT_EQ(L"second", owned.str());
    EXPECT_EQ(1u, count);
}

}  // namespace
}  // namespace pelmora
