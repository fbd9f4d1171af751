// The connection point's identity and counting: it answers from its own short table,
// counts every reference in its container, and holds each sink it calls.
#include <gtest/gtest.h>
#include <ocidl.h>
#include <olectl.h>

#include <string>
#include <vector>

#include "FakeCom.h"
#include "framework/com/ComPtr.h"
#include "framework/com/ConnectionPoint.h"

namespace pelmora::com {
namespace {

const IID kEvents = {0x6e3a9d0b, 0x2c41, 0x4f8e, {0x9b, 0x57, 0x1d, 0x0a, 0x7c, 0x3e, 0x5f, 0x40}};

// An event sink that logs the DISPIDs it is called with.
class Sink : public test::FakeCom {
public:
    explicit Sink(const char* name) : FakeCom(name) {
        Answer<IDispatch>();
        On<&IDispatch::Invoke>("Invoke", [this](DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT*,
                                                EXCEPINFO*, UINT*) {
            EXPECT_EQ(flags, DISPATCH_METHOD);
            ids.push_back(id);
            return S_OK;
        });
    }
    std::vector<DISPID> ids;
};

// Only ever counted by the point: any other call of it fails the test.
class Container : public test::FakeCom {
public:
    Container() : FakeCom("container") { Answer<IConnectionPointContainer>(); }
};

class ConnectionPointTest : public ::testing::Test {
protected:
    Container container_;
    ConnectionPoint point_{container_.Get<IConnectionPointContainer>(), kEvents};
};

TEST_F(ConnectionPointTest, AnswersItselfAndCountsEveryReferenceInItsContainer) {
    IConnectionPoint* const self = &point_;
    for (const IID* iid : {&IID_IUnknown, &IID_IConnectionPoint}) {
        void* out = nullptr;
        ASSERT_EQ(point_.QueryInterface(*iid, &out), S_OK);
        EXPECT_EQ(out, self);
        EXPECT_EQ(container_.References(), 1);
        static_cast<IUnknown*>(out)->Release();
        EXPECT_EQ(container_.References(), 0);
    }
    for (const IID* iid : {&GUID_NULL, &IID_IConnectionPointContainer, &IID_IDispatch, &kEvents}) {
        void* out = reinterpret_cast<void*>(1);
        EXPECT_EQ(point_.QueryInterface(*iid, &out), E_NOINTERFACE);
        EXPECT_EQ(out, nullptr);
    }
    EXPECT_EQ(point_.QueryInterface(IID_IConnectionPoint, nullptr), E_POINTER);

    ComPtr<IConnectionPoint> found;
    EXPECT_EQ(point_.Find(IID_IDispatch, found.put()), CONNECT_E_NOCONNECTION);
    ASSERT_EQ(point_.Find(kEvents, found.put()), S_OK);
    EXPECT_EQ(found.get(), self);
    ComPtr<IConnectionPointContainer> container;
    ASSERT_EQ(found->GetConnectionPointContainer(container.put()), S_OK);
    EXPECT_EQ(container.get(), container_.Get<IConnectionPointContainer>());
    EXPECT_EQ(container_.References(), 2);
    container.reset();
    found.reset();
    EXPECT_EQ(container_.References(), 0);
    EXPECT_TRUE(container_.Calls().empty());
}

TEST_F(ConnectionPointTest, SinksAreHeldWhileAdvisedAndCalledInTheirOrder) {
    Sink first("first sink");
    Sink second("second sink");
    DWORD firstCookie = 0;
    DWORD secondCookie = 0;
    ASSERT_EQ(point_.Advise(first.Unknown(), &firstCookie), S_OK);
    ASSERT_EQ(point_.Advise(second.Unknown(), &secondCookie), S_OK);
    EXPECT_EQ(firstCookie, 1u);
    EXPECT_EQ(secondCookie, 2u);
    EXPECT_EQ(first.References(), 1);

    DISPPARAMS none = {};
    point_.Fire(7, &none);
    EXPECT_EQ(point_.Unadvise(firstCookie), S_OK);
    EXPECT_EQ(first.References(), 0);
    EXPECT_EQ(point_.Unadvise(firstCookie), CONNECT_E_NOCONNECTION);
    point_.Fire(8, &none);

    EXPECT_EQ(first.ids, (std::vector<DISPID>{7}));
    EXPECT_EQ(second.ids, (std::vector<DISPID>{7, 8}));
    EXPECT_EQ(point_.ConnectionCount(), 1u);
    point_.Clear();
    EXPECT_EQ(second.References(), 0);
    EXPECT_EQ(container_.References(), 0);
}

}  // namespace
}  // namespace pelmora::com
