// A module of the test's own serving a test-only class: class objects, instance
// creation, the module lock count, aggregation and QueryInterface rules.
#include <gtest/gtest.h>
#include <objbase.h>
#include <ocidl.h>

#include <string>

#include "FakeCom.h"
#include "RegistryTree.h"
#include "TestSupport.h"
#include "framework/com/ComBase.h"
#include "framework/com/ComObject.h"
#include "framework/com/ComPtr.h"
#include "framework/com/DllModule.h"
#include "framework/com/Registrar.h"

namespace pelmora::com {
namespace {

// {6E3A9D0B-2C41-4F8E-9B57-1D0A7C3E5F21} and neighbours: test-only class ids.
const CLSID kWidgetClsid = {0x6e3a9d0b, 0x2c41, 0x4f8e, {0x9b, 0x57, 0x1d, 0x0a, 0x7c, 0x3e, 0x5f, 0x21}};
const CLSID kFailingClsid = {0x6e3a9d0b, 0x2c41, 0x4f8e, {0x9b, 0x57, 0x1d, 0x0a, 0x7c, 0x3e, 0x5f, 0x22}};
const CLSID kUnservedClsid = {0x6e3a9d0b, 0x2c41, 0x4f8e, {0x9b, 0x57, 0x1d, 0x0a, 0x7c, 0x3e, 0x5f, 0x23}};
const CLSID kUnknownClsid = {0x6e3a9d0b, 0x2c41, 0x4f8e, {0x9b, 0x57, 0x1d, 0x0a, 0x7c, 0x3e, 0x5f, 0x24}};
const CLSID kUnregistrableClsid = {0x6e3a9d0b, 0x2c41, 0x4f8e, {0x9b, 0x57, 0x1d, 0x0a, 0x7c, 0x3e, 0x5f, 0x25}};
const GUID kTestLibraryId = {0x6e3a9d0b, 0x2c41, 0x4f8e, {0x9b, 0x57, 0x1d, 0x0a, 0x7c, 0x3e, 0x5f, 0x30}};

int g_liveWidgets = 0;

// The test class: one interface, IPersist, whose GetClassID tells which object answered.
class Widget : public Interfaces<IPersist> {
public:
    Widget() { ++g_liveWidgets; }
    ~Widget() { --g_liveWidgets; }

    STDMETHODIMP GetClassID(CLSID* clsid) override {
        *clsid = kWidgetClsid;
        return S_OK;
    }
};

// A class whose construction fails after the object was made.
class FailingWidget : public Widget {
public:
    HRESULT FinalConstruct() noexcept { return E_ABORT; }
};

void* const kGarbage = reinterpret_cast<void*>(static_cast<uintptr_t>(0xBAADF00D));
// An id none of the objects here answers.
const IID kForeignIid = IID_IOleWindow;

class TestModule final : public DllModule {
public:
    TestModule()
        : DllModule(kTestLibraryId,
                    {
                        ObjectMapEntry{&kWidgetClsid, 0, &CreateComInstance<Widget>, {}},
                        ObjectMapEntry{&kFailingClsid, 0, &CreateComInstance<FailingWidget>, {}},
                        ObjectMapEntry{&kUnservedClsid, 0, nullptr, {}},
                    }) {}
};

// Objects count themselves in the process module; for the test that is the test module.
class ProcessModuleScope {
public:
    explicit ProcessModuleScope(DllModule& module) : previous_(SetProcessModule(&module)) {}
    ~ProcessModuleScope() { SetProcessModule(previous_); }
    ProcessModuleScope(const ProcessModuleScope&) = delete;
    ProcessModuleScope& operator=(const ProcessModuleScope&) = delete;

private:
    DllModule* previous_;
};

// An outer object that counts what reaches it and answers IUnknown only; it lives on
// the stack, and any other call fails the test.
class CountingOuter : public test::FakeCom {
public:
    CountingOuter() : FakeCom("outer object") { Answer<IUnknown>(); }
};

class ComServerTest : public ::testing::Test {
protected:
    void SetUp() override { g_liveWidgets = 0; }

    ComPtr<IClassFactory> Factory(REFCLSID clsid) {
        ComPtr<IClassFactory> factory;
        EXPECT_HRESULT_SUCCEEDED(module_.GetClassObject(clsid, IID_IClassFactory, factory.put_void()));
        return factory;
    }

    TestModule module_;
    ProcessModuleScope scope_{module_};
};

// ---------------------------------------------------------------------------------
// Class objects

TEST_F(ComServerTest, ClassFactoryIsMadeOnceAndKeptByTheModule) {
    IClassFactory* first = nullptr;
    IClassFactory* second = nullptr;
    ASSERT_HRESULT_SUCCEEDED(module_.GetClassObject(kWidgetClsid, IID_IClassFactory, reinterpret_cast<void**>(&first)));
    ASSERT_HRESULT_SUCCEEDED(module_.GetClassObject(kWidgetClsid, IID_IClassFactory, reinterpret_cast<void**>(&second)));
    EXPECT_EQ(first, second);
    first->Release();
    second->Release();

    // With every caller's reference gone the module's own keeps the factory alive and usable.
    IUnknown* third = nullptr;
    ASSERT_HRESULT_SUCCEEDED(module_.GetClassObject(kWidgetClsid, IID_IUnknown, reinterpret_cast<void**>(&third)));
    EXPECT_EQ(third, static_cast<IUnknown*>(first));
    ComPtr<IClassFactory> factory;
    ASSERT_HRESULT_SUCCEEDED(third->QueryInterface(IID_IClassFactory, factory.put_void()));
    third->Release();
    ComPtr<IPersist> widget;
    EXPECT_HRESULT_SUCCEEDED(factory->CreateInstance(nullptr, IID_IPersist, widget.put_void()));
    EXPECT_TRUE(widget);

    // The module's own reference does not keep it loaded.
    widget.reset();
    factory.reset();
    EXPECT_EQ(module_.CanUnloadNow(), S_OK);
}

// A caller that holds a class object without LockServer may create objects with it at
// any time: the DLL must stay loaded while it does.
TEST_F(ComServerTest, HeldClassObjectKeepsTheModuleLoadedUntilItsLastOutsideReferenceGoes) {
    ASSERT_EQ(module_.GetLockCount(), 0);
    IUnknown* unknown = nullptr;
    ASSERT_HRESULT_SUCCEEDED(module_.GetClassObject(kWidgetClsid, IID_IUnknown, reinterpret_cast<void**>(&unknown)));
    EXPECT_EQ(module_.CanUnloadNow(), S_FALSE);
    EXPECT_EQ(module_.GetLockCount(), 1);

    IClassFactory* factory = nullptr;
    ASSERT_HRESULT_SUCCEEDED(unknown->QueryInterface(IID_IClassFactory, reinterpret_cast<void**>(&factory)));
    EXPECT_EQ(module_.GetLockCount(), 2);
    unknown->Release();
    EXPECT_EQ(module_.GetLockCount(), 1);
    EXPECT_EQ(module_.CanUnloadNow(), S_FALSE);

    ASSERT_HRESULT_SUCCEEDED(factory->LockServer(TRUE));
    EXPECT_EQ(module_.GetLockCount(), 2);
    ASSERT_HRESULT_SUCCEEDED(factory->LockServer(FALSE));
    EXPECT_EQ(factory->Release(), 1u) << "the module keeps its own reference";
    EXPECT_EQ(module_.GetLockCount(), 0);
    EXPECT_EQ(module_.CanUnloadNow(), S_OK);

    // The cached factory comes back, and counts again for its new holder.
    ComPtr<IClassFactory> again = Factory(kWidgetClsid);
    EXPECT_EQ(again.get(), factory);
    EXPECT_EQ(module_.CanUnloadNow(), S_FALSE);
    again.reset();
    EXPECT_EQ(module_.CanUnloadNow(), S_OK);
}

TEST_F(ComServerTest, ClassThatIsNotServedIsUnavailableAndClearsTheOutPointer) {
    for (const CLSID* clsid : {&kUnknownClsid, &kUnservedClsid, &GUID_NULL}) {
        void* out = kGarbage;
        EXPECT_EQ(module_.GetClassObject(*clsid, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
        EXPECT_EQ(out, nullptr);
    }
}

TEST_F(ComServerTest, NullOutPointersAreRefused) {
    EXPECT_EQ(module_.GetClassObject(kWidgetClsid, IID_IClassFactory, nullptr), E_POINTER);
    EXPECT_EQ(module_.GetClassObject(kUnknownClsid, IID_IClassFactory, nullptr), E_POINTER);
    ComPtr<IClassFactory> factory = Factory(kWidgetClsid);
    ASSERT_TRUE(factory);
    EXPECT_EQ(factory->QueryInterface(IID_IClassFactory, nullptr), E_POINTER);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IPersist, nullptr), E_POINTER);
    EXPECT_EQ(CreateComInstance<Widget>(nullptr, IID_IPersist, nullptr), E_POINTER);
    EXPECT_EQ(g_liveWidgets, 0);
    factory.reset();
    EXPECT_EQ(module_.CanUnloadNow(), S_OK);
}

TEST_F(ComServerTest, ClassFactoryAnswersOnlyItsOwnInterfaces) {
    void* out = kGarbage;
    EXPECT_EQ(module_.GetClassObject(kWidgetClsid, IID_IPersist, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);

    ComPtr<IClassFactory> factory = Factory(kWidgetClsid);
    ASSERT_TRUE(factory);
    out = kGarbage;
    EXPECT_EQ(factory->QueryInterface(kForeignIid, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    ComPtr<IUnknown> unknown;
    ASSERT_HRESULT_SUCCEEDED(factory->QueryInterface(IID_IUnknown, unknown.put_void()));
    EXPECT_EQ(unknown.get(), static_cast<IUnknown*>(factory.get()));
}

// ---------------------------------------------------------------------------------
// The module lock count

TEST_F(ComServerTest, ModuleCanUnloadOnlyWithoutLiveObjectsAndServerLocks) {
    EXPECT_EQ(module_.CanUnloadNow(), S_OK);
    ComPtr<IClassFactory> factory = Factory(kWidgetClsid);
    ASSERT_TRUE(factory);
    const LONG heldFactory = module_.GetLockCount();  // the test's own reference to the factory

    ComPtr<IPersist> first;
    ComPtr<IPersist> second;
    ASSERT_HRESULT_SUCCEEDED(factory->CreateInstance(nullptr, IID_IPersist, first.put_void()));
    EXPECT_EQ(module_.GetLockCount(), heldFactory + 1);
    ASSERT_HRESULT_SUCCEEDED(factory->CreateInstance(nullptr, IID_IPersist, second.put_void()));
    first.reset();
    EXPECT_EQ(module_.GetLockCount(), heldFactory + 1);
    second.reset();
    EXPECT_EQ(g_liveWidgets, 0);
    EXPECT_EQ(module_.GetLockCount(), heldFactory);

    EXPECT_HRESULT_SUCCEEDED(factory->LockServer(TRUE));
    EXPECT_HRESULT_SUCCEEDED(factory->LockServer(TRUE));
    EXPECT_EQ(module_.GetLockCount(), heldFactory + 2);
    EXPECT_HRESULT_SUCCEEDED(factory->LockServer(FALSE));
    EXPECT_EQ(module_.GetLockCount(), heldFactory + 1);
    EXPECT_HRESULT_SUCCEEDED(factory->LockServer(FALSE));
    EXPECT_EQ(module_.GetLockCount(), heldFactory);

    // A server lock outlives the class object it was taken through.
    EXPECT_HRESULT_SUCCEEDED(factory->LockServer(TRUE));
    factory.reset();
    EXPECT_EQ(module_.CanUnloadNow(), S_FALSE);
    ASSERT_HRESULT_SUCCEEDED(Factory(kWidgetClsid)->LockServer(FALSE));
    EXPECT_EQ(module_.CanUnloadNow(), S_OK);
}

TEST_F(ComServerTest, FailedConstructionLeavesNoObjectAndNoLock) {
    ComPtr<IClassFactory> factory = Factory(kFailingClsid);
    ASSERT_TRUE(factory);
    void* out = kGarbage;
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IPersist, &out), E_ABORT);
    EXPECT_EQ(out, nullptr);

    CountingOuter outer;
    out = kGarbage;
    EXPECT_EQ(factory->CreateInstance(outer.Unknown(), IID_IUnknown, &out), E_ABORT);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(outer.AddRefs(), outer.Releases());

    EXPECT_EQ(g_liveWidgets, 0);
    factory.reset();
    EXPECT_EQ(module_.CanUnloadNow(), S_OK);
}

// ---------------------------------------------------------------------------------
// QueryInterface and lifetime of a plain object

TEST_F(ComServerTest, ObjectAnswersItsInterfacesAndRefusesOthers) {
    ComPtr<IUnknown> object;
    ASSERT_HRESULT_SUCCEEDED(Factory(kWidgetClsid)->CreateInstance(nullptr, IID_IUnknown, object.put_void()));

    ComPtr<IPersist> persist;
    ASSERT_HRESULT_SUCCEEDED(object->QueryInterface(IID_IPersist, persist.put_void()));
    CLSID clsid = GUID_NULL;
    ASSERT_HRESULT_SUCCEEDED(persist->GetClassID(&clsid));
    EXPECT_TRUE(IsEqualCLSID(clsid, kWidgetClsid));
    ComPtr<IUnknown> identity;
    ASSERT_HRESULT_SUCCEEDED(persist->QueryInterface(IID_IUnknown, identity.put_void()));
    EXPECT_EQ(identity.get(), object.get());

    for (const IID* iid : {&GUID_NULL, &kForeignIid, &IID_IClassFactory}) {
        void* out = kGarbage;
        EXPECT_EQ(object->QueryInterface(*iid, &out), E_NOINTERFACE);
        EXPECT_EQ(out, nullptr);
    }
    EXPECT_EQ(object->QueryInterface(IID_IPersist, nullptr), E_POINTER);
}

TEST_F(ComServerTest, ObjectLivesUntilItsLastReferenceIsReleased) {
    IPersist* persist = nullptr;
    ASSERT_HRESULT_SUCCEEDED(
        Factory(kWidgetClsid)->CreateInstance(nullptr, IID_IPersist, reinterpret_cast<void**>(&persist)));
    EXPECT_EQ(g_liveWidgets, 1);
    EXPECT_EQ(persist->AddRef(), 2u);
    EXPECT_EQ(persist->Release(), 1u);
    EXPECT_EQ(g_liveWidgets, 1);
    EXPECT_EQ(persist->Release(), 0u);
    EXPECT_EQ(g_liveWidgets, 0);
    EXPECT_EQ(module_.CanUnloadNow(), S_OK);
}

// ---------------------------------------------------------------------------------
// Aggregation

TEST_F(ComServerTest, AggregationAsksForIUnknownOnly) {
    ComPtr<IClassFactory> factory = Factory(kWidgetClsid);
    ASSERT_TRUE(factory);
    CountingOuter outer;
    void* out = kGarbage;
    EXPECT_EQ(factory->CreateInstance(outer.Unknown(), IID_IPersist, &out), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(CreateComInstance<Widget>(outer.Unknown(), IID_IPersist, &out), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(g_liveWidgets, 0);
    EXPECT_EQ(outer.AddRefs() + outer.Releases() + outer.Queries(), 0);
    factory.reset();
    EXPECT_EQ(module_.CanUnloadNow(), S_OK);
}

TEST_F(ComServerTest, AggregatedObjectDelegatesItsInterfacesToTheOuterObject) {
    CountingOuter outer;
    IUnknown* inner = nullptr;
    ASSERT_HRESULT_SUCCEEDED(
        Factory(kWidgetClsid)->CreateInstance(outer.Unknown(), IID_IUnknown, reinterpret_cast<void**>(&inner)));
    ASSERT_NE(inner, nullptr);
    EXPECT_NE(inner, static_cast<IUnknown*>(outer.Unknown()));
    // Making the inner object must not hold the outer one: that would be a cycle.
    EXPECT_EQ(outer.AddRefs() - outer.Releases(), 0);
    EXPECT_EQ(module_.CanUnloadNow(), S_FALSE);

    // The inner unknown answers IUnknown with itself and counts on its own.
    IUnknown* innerAgain = nullptr;
    ASSERT_HRESULT_SUCCEEDED(inner->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&innerAgain)));
    EXPECT_EQ(innerAgain, inner);
    innerAgain->Release();
    EXPECT_EQ(outer.AddRefs() + outer.Releases() + outer.Queries(), 0);

    void* out = kGarbage;
    EXPECT_EQ(inner->QueryInterface(GUID_NULL, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(inner->QueryInterface(IID_IPersist, nullptr), E_POINTER);

    // The class's interfaces carry the outer object's identity and count.
    IPersist* persist = nullptr;
    ASSERT_HRESULT_SUCCEEDED(inner->QueryInterface(IID_IPersist, reinterpret_cast<void**>(&persist)));
    ASSERT_NE(persist, nullptr);
    EXPECT_NE(static_cast<void*>(persist), static_cast<void*>(inner));
    EXPECT_EQ(outer.AddRefs(), 1);

    persist->AddRef();
    EXPECT_EQ(outer.AddRefs(), 2);
    persist->Release();
    EXPECT_EQ(outer.Releases(), 1);

    IUnknown* identity = nullptr;
    ASSERT_HRESULT_SUCCEEDED(persist->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)));
    EXPECT_EQ(outer.Queries(), 1);
    EXPECT_EQ(identity, static_cast<IUnknown*>(outer.Unknown()));
    identity->Release();

    CLSID clsid = GUID_NULL;
    ASSERT_HRESULT_SUCCEEDED(persist->GetClassID(&clsid));
    EXPECT_TRUE(IsEqualCLSID(clsid, kWidgetClsid));

    persist->Release();  // as an outer object gives back what its inner one handed out
    EXPECT_EQ(outer.AddRefs(), outer.Releases());
    EXPECT_EQ(g_liveWidgets, 1);

    EXPECT_EQ(inner->Release(), 0u);
    EXPECT_EQ(g_liveWidgets, 0);
    EXPECT_EQ(module_.CanUnloadNow(), S_OK);
}

// ---------------------------------------------------------------------------------
// Registration through the module

constexpr wchar_t kRegistrationTestKey[] = L"Software\\PelmoraDllModuleTest";

TEST(DllModuleRegistration, ScriptsSeeTheModulesFullPathAsModule) {
    test::ScopedRegistryKey key(HKEY_CURRENT_USER, kRegistrationTestKey);
    TestModule module;
    module.SetInstance(::GetModuleHandleW(nullptr));
    Registrar registrar;
    ASSERT_HRESULT_SUCCEEDED(module.AddCommonRGSReplacements(registrar));
    ASSERT_HRESULT_SUCCEEDED(registrar.RunScript(
        L"HKCU { NoRemove Software { PelmoraDllModuleTest = s '%MODULE%' } }", true));

    wchar_t path[MAX_PATH + 1] = {};
    ASSERT_GT(::GetModuleFileNameW(nullptr, path, MAX_PATH), 0u);
    EXPECT_EQ(test::DumpRegistryTree(HKEY_CURRENT_USER, kRegistrationTestKey),
              L"[]\n  @ = REG_SZ \"" + std::wstring(path) + L"\\0\"\n");
}

class UnregistrableModule final : public DllModule {
public:
    UnregistrableModule()
        : DllModule(kTestLibraryId, {
                                        ObjectMapEntry{&kWidgetClsid, 0, &CreateComInstance<Widget>, {}},
                                        ObjectMapEntry{&kUnregistrableClsid, 0x7ABC, nullptr, {}},
                                    }) {
        SetInstance(::GetModuleHandleW(nullptr));
    }
};

TEST(DllModuleRegistration, MissingRegistrationScriptFailsBothWays) {
    UnregistrableModule module;
    const HRESULT registered = module.RegisterServer();
    EXPECT_TRUE(FAILED(registered)) << std::hex << registered;
    const HRESULT unregistered = module.UnregisterServer();
    EXPECT_TRUE(FAILED(unregistered)) << std::hex << unregistered;
}

TEST(DllModuleRegistration, ClassesWithoutAScriptAreSkippedAndRegistrationSucceeds) {
    TestModule module;
    module.SetInstance(::GetModuleHandleW(nullptr));
    EXPECT_EQ(module.RegisterServer(), S_OK);
    EXPECT_EQ(module.UnregisterServer(), S_OK);
}

// ---------------------------------------------------------------------------------
// The global interface table

TEST(DllModuleGlobalInterfaceTable, IsMadeOnceAndHandedOutWithAReference) {
    TestModule module;
    EXPECT_EQ(module.GetGITPtr(nullptr), E_POINTER);
    ComPtr<IGlobalInterfaceTable> first;
    ComPtr<IGlobalInterfaceTable> second;
    ASSERT_HRESULT_SUCCEEDED(module.GetGITPtr(first.put()));
    ASSERT_HRESULT_SUCCEEDED(module.GetGITPtr(second.put()));
    ASSERT_TRUE(first);
    EXPECT_EQ(first.get(), second.get());
}

}  // namespace
}  // namespace pelmora::com
