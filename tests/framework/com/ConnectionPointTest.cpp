// The connection point answers from its own short table, counts every reference in
// its container, and holds each sink it calls.
#include <gtest/gtest.h>
#include <ocidl.h>
#include <olectl.h>

#include <vector>

#include "FakeCom.h"
#include "framework/com/ConnectionPoint.h"

namespace pelmora::com {
namespace {

const IID kEvents = {0x6e3a9d0b, 0x2c41, 0x4f8e, {0x9b, 0x57, 0x1d, 0x0a, 0x7c, 0x3e, 0x5f, 0x40}};

TEST(ConnectionPoint, AnswersItselfCountsInItsContainerAndHoldsItsSinks) {
    test::FakeCom container("container");  // only ever counted: any other call fails
    ConnectionPoint point(container.Answer<IConnectionPointContainer>(), kEvents);
    IConnectionPoint* const self = &point;
    for (const IID* iid : {&IID_IUnknown, &IID_IConnectionPoint}) {
        void* out = nullptr;
        ASSERT_EQ(point.QueryInterface(*iid, &out), S_OK);
        EXPECT_EQ(out, self);
        EXPECT_EQ(container.References(), 1);
        static_cast<IUnknown*>(out)->Release();
    }
    for (const IID* iid : {&GUID_NULL, &IID_IConnectionPointContainer, &IID_IDispatch, &kEvents}) {
        void* out = reinterpret_cast<void*>(1);
        EXPECT_EQ(point.QueryInterface(*iid, &out), E_NOINTERFACE);
        EXPECT_EQ(out, nullptr);
    }
    EXPECT_EQ(point.QueryInterface(IID_IConnectionPoint, nullptr), E_POINTER);

    test::FakeCom sink("sink");
    sink.Answer<IDispatch>();
    std::vector<DISPID> ids;
    sink.On<&IDispatch::Invoke>("Invoke", [&](DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                              UINT*) {
        ids.push_back(id);
        return S_OK;
    });
    DWORD cookie = 0;
    ASSERT_EQ(point.Advise(sink.Unknown(), &cookie), S_OK);
    EXPECT_EQ(sink.References(), 1);
    DISPPARAMS none = {};
    point.Fire(7, &none);
    point.Fire(8, &none);
    EXPECT_EQ(point.Unadvise(cookie), S_OK);
    EXPECT_EQ(point.Unadvise(cookie), CONNECT_E_NOCONNECTION);
    point.Fire(9, &none);
    EXPECT_EQ(ids, (std::vector<DISPID>{7, 8}));
    EXPECT_EQ(sink.Calls(), (std::vector<std::string>{"Invoke", "Invoke"}));
    EXPECT_EQ(sink.References(), 0);
    EXPECT_EQ(container.References(), 0);
    EXPECT_TRUE(container.Calls().empty());
}

}  // namespace
}  // namespace pelmora::com
