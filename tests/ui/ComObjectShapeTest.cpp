// Every COM object of our own has the one shape: it answers exactly its listed
// interfaces with one identity, refuses GUID_NULL and the rest with a cleared out
// pointer, counts each reference, and holds the module once for its life.
#include <gtest/gtest.h>

#include <dispex.h>
#include <objbase.h>
#include <ocidl.h>

#include <functional>
#include <vector>

#include "framework/com/ComPtr.h"
#include "runtime/DispatchImpl.h"
#include "runtime/EventTestSupport.h"
#include "runtime/Params.h"
#include "runtime/ParamsTypeInfo.h"
#include "ui/PropBag.h"

namespace pelmora {
namespace {

TEST(ComObjectShape, ProductObjectsAnswerTheirListAndHoldTheModuleOnceForTheirLife) {
    const com::ComPtr<ITypeInfo> events = test::LoadWindowEventsTypeInfo();
    ASSERT_TRUE(events);
    struct Case {
        const char* what;
        std::function<IUnknown*()> make;  // the object with one reference
        std::vector<const IID*> answered;
        LONG locks;  // objects made: Params makes its names object too
    };
    const Case cases[] = {
        {"Params",
         [&]() -> IUnknown* {
             com::ComPtr<CParams> params;
             EXPECT_EQ(CParams::Create(events.get(), params), S_OK);
             return static_cast<IDispatchEx*>(params.Detach());
         },
         {&IID_IDispatch, &__uuidof(IDispatchEx)},
         2},
        {"Params names", [&]() -> IUnknown* { return com::ComPtr<CParamsTypeInfo>(new CParamsTypeInfo(events.get())).Detach(); },
         {&IID_ITypeInfo},
         1},
        {"scriptlet base", []() -> IUnknown* { return com::ComPtr<CDispatchImpl>(new CDispatchImpl()).Detach(); },
         {&IID_IDispatch},
         1},
        {"autocomplete list", []() -> IUnknown* { return com::ComPtr<CPropBag>(new CPropBag()).Detach(); },
         {&IID_IEnumString},
         1},
    };
    const IID* const refused[] = {&GUID_NULL, &IID_IClassFactory, &IID_IConnectionPoint, &IID_IPersist,
                                  &IID_IEnumVARIANT};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const LONG locksBefore = test::ModuleLockCount();
        IUnknown* object = c.make();
        ASSERT_NE(object, nullptr);
        EXPECT_EQ(test::ModuleLockCount(), locksBefore + c.locks);

        for (const IID* iid : c.answered) {
            IUnknown* answer = nullptr;
            ASSERT_EQ(object->QueryInterface(*iid, reinterpret_cast<void**>(&answer)), S_OK);
            IUnknown* identity = nullptr;
            ASSERT_EQ(answer->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
            EXPECT_EQ(identity, object);
            EXPECT_EQ(identity->Release(), 2u);
            EXPECT_EQ(answer->Release(), 1u);
        }
        for (const IID* iid : refused) {
            void* out = reinterpret_cast<void*>(1);
            EXPECT_EQ(object->QueryInterface(*iid, &out), E_NOINTERFACE);
            EXPECT_EQ(out, nullptr);
        }
        EXPECT_EQ(object->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
        EXPECT_EQ(test::ModuleLockCount(), locksBefore + c.locks) << "references do not count again";
        EXPECT_EQ(object->Release(), 0u);
        EXPECT_EQ(test::ModuleLockCount(), locksBefore);
    }
}

TEST(ComObjectShape, ScriptletBaseAnswersEveryDispatchCallWithNotImplemented) {
    com::ComPtr<CDispatchImpl> base(new CDispatchImpl());
    UINT count = 7;
    EXPECT_EQ(base->GetTypeInfoCount(&count), E_NOTIMPL);
    ITypeInfo* typeInfo = nullptr;
    EXPECT_EQ(base->GetTypeInfo(0, 0, &typeInfo), E_NOTIMPL);
    LPOLESTR name = const_cast<LPOLESTR>(L"onload");
    DISPID id = 0;
    EXPECT_EQ(base->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), E_NOTIMPL);
    DISPPARAMS none = {};
    EXPECT_EQ(base->Invoke(1003, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr), E_NOTIMPL);
}

}  // namespace
}  // namespace pelmora
