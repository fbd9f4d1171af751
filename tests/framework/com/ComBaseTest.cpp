// Our one COM object shape: the interface table, self-deletion through the virtual
// destructor and the module lock for the object's lifetime; and the exception barrier
// COM methods are written with.
#include <gtest/gtest.h>
#include <objbase.h>
#include <ocidl.h>
#include <oleidl.h>

#include <new>
#include <stdexcept>

#include "framework/com/ComBase.h"
#include "framework/com/ComPtr.h"
#include "framework/com/ExceptionBarrier.h"

namespace pelmora::com {
namespace {

const GUID kTestLibraryId = {0x6e3a9d0b, 0x2c41, 0x4f8e, {0x9b, 0x57, 0x1d, 0x0a, 0x7c, 0x3e, 0x5f, 0x31}};

// An object with an inherited interface (IPersist below IPersistStream) and a second,
// unrelated one (IOleWindow); it tells the test when its destructor runs.
class Shaped final : public ComBase<IPersistStream, IPersist, IOleWindow> {
public:
    explicit Shaped(bool& destroyed) : destroyed_(destroyed) {}

    STDMETHODIMP GetClassID(CLSID*) override { return E_NOTIMPL; }
    STDMETHODIMP IsDirty() override { return S_FALSE; }
    STDMETHODIMP Load(IStream*) override { return E_NOTIMPL; }
    STDMETHODIMP Save(IStream*, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }
    STDMETHODIMP GetWindow(HWND*) override { return E_NOTIMPL; }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

private:
    ~Shaped() override { destroyed_ = true; }
    bool& destroyed_;
};

class ComBaseTest : public ::testing::Test {
protected:
    ComBaseTest() : previous_(SetProcessModule(&module_)) {}
    ~ComBaseTest() override { SetProcessModule(previous_); }

    DllModule module_{kTestLibraryId, {}};
    DllModule* previous_;
    bool destroyed_ = false;
};

void* const kGarbage = reinterpret_cast<void*>(static_cast<uintptr_t>(0xBAADF00D));

TEST_F(ComBaseTest, QueryInterfaceAnswersTheListedInterfacesWithOneIdentity) {
    ComPtr<IPersistStream> object(new Shaped(destroyed_));
    IUnknown* const primary = object.get();
    IUnknown* const secondary = static_cast<IOleWindow*>(static_cast<Shaped*>(object.get()));
    ASSERT_NE(primary, secondary);

    struct Case {
        const char* what;
        const IID* iid;
        IUnknown* expected;  // null: refused
    };
    const Case cases[] = {
        {"IUnknown is the primary interface", &IID_IUnknown, primary},
        {"the primary interface", &IID_IPersistStream, primary},
        {"an interface the primary derives from", &IID_IPersist, primary},
        {"a second interface", &IID_IOleWindow, secondary},
        {"GUID_NULL", &GUID_NULL, nullptr},
        {"an interface derived from a listed one", &IID_IPersistStreamInit, nullptr},
        {"an unrelated interface", &IID_IDispatch, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (IUnknown* asked : {primary, secondary}) {
            void* out = kGarbage;
            const HRESULT hr = asked->QueryInterface(*c.iid, &out);
            if (!c.expected) {
                EXPECT_EQ(hr, E_NOINTERFACE);
                EXPECT_EQ(out, nullptr);
                continue;
            }
            ASSERT_EQ(hr, S_OK);
            EXPECT_EQ(out, c.expected);
            EXPECT_EQ(static_cast<IUnknown*>(out)->Release(), 1u) << "the answer carried one reference";
        }
    }
    EXPECT_EQ(primary->QueryInterface(IID_IPersist, nullptr), E_POINTER);
    EXPECT_EQ(secondary->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
    EXPECT_FALSE(destroyed_);
}

TEST_F(ComBaseTest, ObjectHoldsTheModuleForItsLifeAndDeletesItselfAtZero) {
    ASSERT_EQ(module_.GetLockCount(), 0);
    auto* object = new Shaped(destroyed_);
    EXPECT_EQ(module_.GetLockCount(), 1);
    IOleWindow* window = object;
    EXPECT_EQ(window->AddRef(), 1u);
    EXPECT_EQ(object->AddRef(), 2u);
    EXPECT_EQ(window->Release(), 1u);
    EXPECT_FALSE(destroyed_);
    EXPECT_EQ(module_.GetLockCount(), 1) << "more references do not count again";

    EXPECT_EQ(object->Release(), 0u);
    EXPECT_TRUE(destroyed_);
    EXPECT_EQ(module_.GetLockCount(), 0);
}

// ---------------------------------------------------------------------------------
// The exception barrier

TEST(ExceptionBarrier, AnswersTheBodysResultOrTheHResultOfItsException) {
    struct Case {
        const char* what;
        HRESULT (*body)();
        HRESULT expected;
    };
    const Case cases[] = {
        {"a result", [] { return S_FALSE; }, S_FALSE},
        {"no memory", []() -> HRESULT { throw std::bad_alloc(); }, E_OUTOFMEMORY},
        {"a standard exception", []() -> HRESULT { throw std::runtime_error("x"); }, E_UNEXPECTED},
        {"anything else", []() -> HRESULT { throw 42; }, E_UNEXPECTED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ExceptionBarrier(c.body), c.expected);
    }
}

}  // namespace
}  // namespace pelmora::com
