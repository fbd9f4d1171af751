#include <gtest/gtest.h>

#include <objbase.h>

#include <atomic>
#include <initializer_list>
#include <string>
#include <thread>
#include <vector>

#include "component/Module.h"
#include "framework/com/ComPtr.h"
#include "ui/PropBag.h"

namespace pelmora {
namespace {

using Strings = std::vector<std::wstring>;

com::ComPtr<CPropBag> MakeBag(std::initializer_list<const wchar_t*> entries) {
    com::ComPtr<CPropBag> bag(new CPropBag());
    for (const wchar_t* entry : entries) EXPECT_EQ(bag->AddString(entry), S_OK);
    return bag;
}

ULONG RefCount(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

// One Next call: checks that every string handed out comes from the COM task allocator
// with room for its text, copies it and frees it as a caller must.
struct Fetch {
    HRESULT hr = E_UNEXPECTED;
    ULONG fetched = 0;
    Strings strings;
};

Fetch Next(IEnumString* list, ULONG wanted) {
    Fetch result;
    std::vector<LPOLESTR> array(wanted + 1, reinterpret_cast<LPOLESTR>(0x1));
    result.fetched = 0xDEAD;
    result.hr = list->Next(wanted, array.data(), &result.fetched);
    EXPECT_LE(result.fetched, wanted);
    com::ComPtr<IMalloc> allocator;
    EXPECT_EQ(::CoGetMalloc(1, allocator.put()), S_OK);
    for (ULONG i = 0; i < result.fetched && i < wanted; ++i) {
        EXPECT_EQ(allocator->DidAlloc(array[i]), 1) << "entry " << i << " is not task memory";
        const std::wstring text(array[i]);
        EXPECT_GE(allocator->GetSize(array[i]), (text.size() + 1) * sizeof(wchar_t));
        result.strings.push_back(text);
        ::CoTaskMemFree(array[i]);
    }
    for (ULONG i = result.fetched; i <= wanted; ++i) {
        EXPECT_EQ(array[i], reinterpret_cast<LPOLESTR>(0x1)) << "slot " << i << " written beyond the fetched count";
    }
    return result;
}

TEST(PropBag, EmptyListFetchesNothing) {
    auto bag = MakeBag({});
    const Fetch fetch = Next(bag.get(), 1);
    EXPECT_EQ(fetch.hr, S_FALSE);
    EXPECT_EQ(fetch.fetched, 0u);
}

TEST(PropBag, AskingForNothingFetchesNothing) {
    auto bag = MakeBag({L"a"});
    const Fetch none = Next(bag.get(), 0);
    EXPECT_EQ(none.hr, S_FALSE);
    EXPECT_EQ(none.fetched, 0u);
    EXPECT_EQ(Next(bag.get(), 1).strings, Strings{L"a"});
}

TEST(PropBag, NextHandsOutWhatIsLeftWhenFewerThanWanted) {
    auto bag = MakeBag({L"first.WSC", L"second.WSC", L"third.WSC"});
    const Fetch one = Next(bag.get(), 1);
    EXPECT_EQ(one.hr, S_OK);
    EXPECT_EQ(one.strings, Strings{L"first.WSC"});

    const Fetch rest = Next(bag.get(), 3);
    EXPECT_EQ(rest.hr, S_OK);
    EXPECT_EQ(rest.fetched, 2u);
    EXPECT_EQ(rest.strings, (Strings{L"second.WSC", L"third.WSC"}));

    const Fetch end = Next(bag.get(), 3);
    EXPECT_EQ(end.hr, S_FALSE);
    EXPECT_EQ(end.fetched, 0u);
}

TEST(PropBag, EmptyAndAbsentStringsAreHandedOutEmpty) {
    auto bag = MakeBag({L"", nullptr, L"x"});
    const Fetch all = Next(bag.get(), 3);
    EXPECT_EQ(all.hr, S_OK);
    EXPECT_EQ(all.strings, (Strings{L"", L"", L"x"}));
}

TEST(PropBag, TextIsCopiedNotShared) {
    std::wstring text = L"before";
    auto bag = MakeBag({});
    ASSERT_EQ(bag->AddString(text.c_str()), S_OK);
    text = L"after!";
    EXPECT_EQ(Next(bag.get(), 1).strings, Strings{L"before"});
}

TEST(PropBag, AppendingDuringEnumerationContinuesWithTheNewEntries) {
    auto bag = MakeBag({L"a", L"b"});
    EXPECT_EQ(Next(bag.get(), 1).strings, Strings{L"a"});
    ASSERT_EQ(bag->AddString(L"c"), S_OK);
    EXPECT_EQ(Next(bag.get(), 5).strings, (Strings{L"b", L"c"}));
    EXPECT_EQ(Next(bag.get(), 1).hr, S_FALSE);

    ASSERT_EQ(bag->AddString(L"d"), S_OK);
    const Fetch more = Next(bag.get(), 1);
    EXPECT_EQ(more.hr, S_OK);
    EXPECT_EQ(more.strings, Strings{L"d"});
}

TEST(PropBag, DuplicatesAreEnumeratedEachTime) {
    auto bag = MakeBag({L"same.WSC", L"other.WSC", L"same.WSC"});
    EXPECT_EQ(Next(bag.get(), 10).strings, (Strings{L"same.WSC", L"other.WSC", L"same.WSC"}));
}

TEST(PropBag, SkipMovesForwardAndStopsAtTheEnd) {
    auto bag = MakeBag({L"a", L"b", L"c", L"d"});
    EXPECT_EQ(bag->Skip(1), S_OK);
    EXPECT_EQ(Next(bag.get(), 1).strings, Strings{L"b"});
    EXPECT_EQ(bag->Skip(0), S_OK);
    EXPECT_EQ(Next(bag.get(), 1).strings, Strings{L"c"});

    EXPECT_EQ(bag->Skip(100), S_OK);
    EXPECT_EQ(Next(bag.get(), 1).hr, S_FALSE);
    EXPECT_EQ(bag->Skip(0xFFFFFFFF), S_OK);
    EXPECT_EQ(Next(bag.get(), 1).hr, S_FALSE);

    // The cursor stopped at the end, not past it: a new entry is next.
    ASSERT_EQ(bag->AddString(L"e"), S_OK);
    EXPECT_EQ(Next(bag.get(), 2).strings, Strings{L"e"});
}

TEST(PropBag, ResetStartsOverFromTheFirstEntry) {
    auto bag = MakeBag({L"a", L"b"});
    EXPECT_EQ(Next(bag.get(), 2).fetched, 2u);
    EXPECT_EQ(bag->Reset(), S_OK);
    EXPECT_EQ(Next(bag.get(), 2).strings, (Strings{L"a", L"b"}));
}

TEST(PropBag, CloneContinuesFromTheCursorWithoutMovingTheOriginal) {
    auto bag = MakeBag({L"a", L"b", L"c", L"d"});
    EXPECT_EQ(Next(bag.get(), 1).strings, Strings{L"a"});
    EXPECT_EQ(Next(bag.get(), 1).strings, Strings{L"b"});

    com::ComPtr<IEnumString> clone;
    ASSERT_EQ(bag->Clone(clone.put()), S_OK);
    ASSERT_TRUE(clone);
    EXPECT_NE(static_cast<IEnumString*>(bag.get()), clone.get());
    EXPECT_EQ(RefCount(clone.get()), 1u);

    EXPECT_EQ(Next(clone.get(), 1).strings, Strings{L"c"});
    EXPECT_EQ(Next(clone.get(), 1).strings, Strings{L"d"});
    EXPECT_EQ(Next(clone.get(), 1).hr, S_FALSE);

    EXPECT_EQ(Next(bag.get(), 1).strings, Strings{L"c"});
    ASSERT_EQ(clone->Reset(), S_OK);
    EXPECT_EQ(Next(clone.get(), 4).strings, (Strings{L"a", L"b", L"c", L"d"}));
    EXPECT_EQ(Next(bag.get(), 1).strings, Strings{L"d"});
}

TEST(PropBag, CloneSurvivesTheOriginal) {
    auto bag = MakeBag({L"kept"});
    com::ComPtr<IEnumString> clone;
    ASSERT_EQ(bag->Clone(clone.put()), S_OK);
    bag.reset();
    EXPECT_EQ(Next(clone.get(), 1).strings, Strings{L"kept"});
}

TEST(PropBag, NullPointersAreRejectedWithoutMovingTheCursor) {
    auto bag = MakeBag({L"a", L"b"});
    LPOLESTR two[2] = {};
    ULONG fetched = 0;
    EXPECT_EQ(bag->Next(1, nullptr, &fetched), E_POINTER);
    EXPECT_EQ(bag->Next(2, two, nullptr), E_POINTER);
    EXPECT_EQ(two[0], nullptr);
    EXPECT_EQ(bag->Clone(nullptr), E_POINTER);
    EXPECT_EQ(Next(bag.get(), 1).strings, Strings{L"a"});
}

// The enumerator contract lets a caller that asks for one string leave out the count.
TEST(PropBag, OneStringMayBeFetchedWithoutACount) {
    auto bag = MakeBag({L"only.WSC"});
    LPOLESTR one = nullptr;
    ASSERT_EQ(bag->Next(1, &one, nullptr), S_OK);
    ASSERT_NE(one, nullptr);
    EXPECT_STREQ(one, L"only.WSC");
    ::CoTaskMemFree(one);
    one = nullptr;
    EXPECT_EQ(bag->Next(1, &one, nullptr), S_FALSE);
    EXPECT_EQ(one, nullptr);
}

// The shell's AutoComplete object enumerates on a worker thread of its own while the
// dialog appends on the user-interface thread; both count references. The worker
// checks that it sees every entry in order; each round runs a few times, since a race
// shows only now and then.
TEST(PropBag, ListIsEnumeratedOnAWorkerThreadWhileItGrows) {
    constexpr int kRuns = 4;
    constexpr int kEntries = 20000;
    constexpr int kCounts = 20;  // references taken and given back per step, on both threads
    const auto entry = [](int position) { return L"entry" + std::to_wstring(position) + L".WSC"; };
    for (int run = 0; run < kRuns; ++run) {
        SCOPED_TRACE(run);
        auto bag = MakeBag({});
        std::atomic<bool> started{false};
        std::atomic<bool> appended{false};
        std::atomic<int> mismatches{0};
        std::atomic<int> seenAtEnd{0};
        std::thread worker([&] {
            int rounds = 0;
            for (bool last = false; !last; ++rounds) {
                last = appended.load();
                started = true;  // the first round begins before the list is complete
                int position = 0;
                ASSERT_EQ(bag->Reset(), S_OK);
                com::ComPtr<IEnumString> clone;
                for (;;) {
                    LPOLESTR strings[3] = {};
                    ULONG fetched = 0;
                    // One at a time without a count, as the AutoComplete object asks, or three.
                    const bool single = position % 2 == 0;
                    const HRESULT hr = single ? bag->Next(1, strings, nullptr) : bag->Next(3, strings, &fetched);
                    if (single && hr == S_OK) fetched = 1;
                    for (ULONG i = 0; i < fetched; ++i) {
                        if (entry(position++) != strings[i]) ++mismatches;
                        ::CoTaskMemFree(strings[i]);
                    }
                    if (hr != S_OK) break;
                    for (int i = 0; i < kCounts; ++i) bag->AddRef();
                    if (!clone) {
                        ASSERT_EQ(bag->Clone(clone.put()), S_OK);
                    }
                    for (int i = 0; i < kCounts; ++i) bag->Release();
                }
                if (last) seenAtEnd = position;
            }
            EXPECT_GT(rounds, 1);
        });
        while (!started) std::this_thread::yield();
        for (int i = 0; i < kEntries; ++i) {
            EXPECT_EQ(bag->AddString(entry(i).c_str()), S_OK);
            for (int c = 0; c < kCounts; ++c) bag->AddRef();
            for (int c = 0; c < kCounts; ++c) bag->Release();
        }
        appended = true;
        worker.join();
        EXPECT_EQ(mismatches, 0);
        EXPECT_EQ(seenAtEnd, kEntries);
        EXPECT_EQ(RefCount(bag.get()), 1u);
    }
}

TEST(PropBag, AnswersOnlyForUnknownAndEnumString) {
    auto bag = MakeBag({});
    for (const IID& iid : {IID_IUnknown, IID_IEnumString}) {
        void* out = nullptr;
        const ULONG before = RefCount(bag.get());
        ASSERT_EQ(bag->QueryInterface(iid, &out), S_OK);
        EXPECT_EQ(out, static_cast<IEnumString*>(bag.get()));
        EXPECT_EQ(RefCount(bag.get()), before + 1);
        static_cast<IUnknown*>(out)->Release();
    }
    for (const IID& iid : {GUID_NULL, IID_IDispatch, IID_IEnumUnknown, IID_IEnumVARIANT, IID_IClassFactory}) {
        void* out = reinterpret_cast<void*>(0x1);
        EXPECT_EQ(bag->QueryInterface(iid, &out), E_NOINTERFACE);
        EXPECT_EQ(out, nullptr);
    }
    EXPECT_EQ(bag->QueryInterface(IID_IEnumString, nullptr), E_POINTER);
    EXPECT_EQ(RefCount(bag.get()), 1u);
}

TEST(PropBag, ReferenceCountIsCountedAndReturned) {
    auto* bag = new CPropBag();
    EXPECT_EQ(bag->AddRef(), 1u);
    EXPECT_EQ(bag->AddRef(), 2u);
    EXPECT_EQ(bag->Release(), 1u);
    EXPECT_EQ(bag->Release(), 0u);
}

TEST(PropBag, EachLiveListHoldsTheModuleOnce) {
    const LONG before = GetPelmoraModule().GetLockCount();
    auto first = MakeBag({L"a"});
    EXPECT_EQ(GetPelmoraModule().GetLockCount(), before + 1);
    {
        auto second = MakeBag({});
        EXPECT_EQ(GetPelmoraModule().GetLockCount(), before + 2);
        com::ComPtr<IEnumString> clone;
        ASSERT_EQ(first->Clone(clone.put()), S_OK);
        EXPECT_EQ(GetPelmoraModule().GetLockCount(), before + 3);

        // Further references to a list do not count again.
        com::ComPtr<CPropBag> again = second;
        EXPECT_EQ(GetPelmoraModule().GetLockCount(), before + 3);
    }
    EXPECT_EQ(GetPelmoraModule().GetLockCount(), before + 1);
    first.reset();
    EXPECT_EQ(GetPelmoraModule().GetLockCount(), before);
}

}  // namespace
}  // namespace pelmora
