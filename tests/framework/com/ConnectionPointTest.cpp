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

// A round from the snapshot, as the browser fires: the sink an earlier one unadvises
// is still called, held until the round ends; one advised meanwhile waits for the next.
TEST(ConnectionPoint, SnapshotRoundCallsSinksUnadvisedDuringItAndNotThoseAdvised) {
    test::FakeCom container("container");
    ConnectionPoint point(container.Answer<IConnectionPointContainer>(), kEvents);
    test::FakeCom first("first"), second("second"), late("late");
    for (test::FakeCom* sink : {&first, &second, &late}) sink->Answer<IDispatch>();
    DWORD firstCookie = 0, secondCookie = 0, lateCookie = 0;
    std::vector<std::string> order;
    first.On<&IDispatch::Invoke>("Invoke", [&](DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
        order.push_back("first");
        if (secondCookie) {
            EXPECT_EQ(point.Unadvise(secondCookie), S_OK);
        }
        secondCookie = 0;
        if (!lateCookie) {
            EXPECT_EQ(point.Advise(late.Unknown(), &lateCookie), S_OK);
        }
        return S_OK;
    });
    second.On<&IDispatch::Invoke>("Invoke", [&](DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
        order.push_back("second");
        EXPECT_EQ(second.References(), 1);  // the round's
        return S_OK;
    });
    late.On<&IDispatch::Invoke>("Invoke", [&](DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
        order.push_back("late");
        return S_OK;
    });
    ASSERT_EQ(point.Advise(first.Unknown(), &firstCookie), S_OK);
    ASSERT_EQ(point.Advise(second.Unknown(), &secondCookie), S_OK);
    DISPPARAMS none = {};
    point.FireFromSnapshot(7, &none);
    EXPECT_EQ(order, (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(second.References(), 0);
    point.FireFromSnapshot(8, &none);
    EXPECT_EQ(order, (std::vector<std::string>{"first", "second", "first", "late"}));
    point.Clear();
    EXPECT_EQ(container.References(), 0);
}

// The enumerators hold what they list, so a sink unadvised during a walk, or the
// container's last outside reference, stays valid until the enumerator goes.
TEST(ConnectionPoint, EnumeratesItsLiveSinksAndItselfFromSnapshotsThatHoldThem) {
    test::FakeCom container("container");
    ConnectionPoint point(container.Answer<IConnectionPointContainer>(), kEvents);
    test::FakeCom first("first"), second("second");
    first.Answer<IDispatch>();
    second.Answer<IDispatch>();
    DWORD firstCookie = 0, secondCookie = 0;
    ASSERT_EQ(point.Advise(first.Unknown(), &firstCookie), S_OK);
    ASSERT_EQ(point.Advise(second.Unknown(), &secondCookie), S_OK);
    ASSERT_EQ(point.Unadvise(firstCookie), S_OK);

    ComPtr<IEnumConnections> connections;
    ASSERT_EQ(point.EnumConnections(connections.put()), S_OK);
    ASSERT_EQ(point.Unadvise(secondCookie), S_OK);
    EXPECT_EQ(second.References(), 1);  // the snapshot's
    CONNECTDATA got[2] = {};
    EXPECT_EQ(connections->Next(2, got, nullptr), E_POINTER);
    ULONG fetched = 9;
    EXPECT_EQ(connections->Next(2, got, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 1u);
    EXPECT_EQ(got[0].dwCookie, secondCookie);
    EXPECT_EQ(got[0].pUnk, second.Unknown());
    EXPECT_EQ(second.References(), 2);
    got[0].pUnk->Release();
    EXPECT_EQ(connections->Next(1, got, nullptr), S_FALSE);
    EXPECT_EQ(connections->Reset(), S_OK);
    EXPECT_EQ(connections->Skip(2), S_FALSE);
    EXPECT_EQ(connections->Reset(), S_OK);
    ComPtr<IEnumConnections> clone;
    ASSERT_EQ(connections->Clone(clone.put()), S_OK);
    connections.reset();
    EXPECT_EQ(clone->Next(1, got, nullptr), S_OK);
    got[0].pUnk->Release();
    clone.reset();
    EXPECT_EQ(second.References(), 0);
    EXPECT_EQ(first.References(), 0);

    ComPtr<IEnumConnectionPoints> points;
    ASSERT_EQ(point.EnumerateAsOnlyPoint(points.put()), S_OK);
    IConnectionPoint* listed[2] = {};
    EXPECT_EQ(points->Next(2, listed, &fetched), S_FALSE);
    ASSERT_EQ(fetched, 1u);
    EXPECT_EQ(listed[0], static_cast<IConnectionPoint*>(&point));
    EXPECT_EQ(container.References(), 2);  // the snapshot's and ours
    listed[0]->Release();
    points.reset();
    EXPECT_EQ(container.References(), 0);
    EXPECT_TRUE(container.Calls().empty());
}

}  // namespace
}  // namespace pelmora::com
