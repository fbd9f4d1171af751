// A location getter may return a string with a success code other than S_OK (or with a
// failure): the string is still the caller's to free.
#include <gtest/gtest.h>
#include <objbase.h>

#include <set>
#include <string>

#include "FakeCom.h"
#include "browser/HtmlLocation.h"
#include "runtime/Location.h"

namespace pelmora {
namespace {

// Strings this long bypass the platform's string cache, so their frees reach the task
// allocator, where the spy counts them. Static: a spy stays while its blocks live.
constexpr UINT kLongString = 70000;

class LongStringSpy final : public test::FakeObject<IMallocSpy> {
public:
    STDMETHODIMP_(SIZE_T) PreAlloc(SIZE_T size) override {
        watchNext_ = size >= kLongString * sizeof(wchar_t);
        return size;
    }
    STDMETHODIMP_(void*) PostAlloc(void* block) override {
        if (watchNext_ && block) live.insert(block);
        return block;
    }
    STDMETHODIMP_(void*) PreFree(void* block, BOOL) override {
        frees += live.erase(block);
        return block;
    }
    STDMETHODIMP_(void) PostFree(BOOL) override {}
    STDMETHODIMP_(SIZE_T) PreRealloc(void* block, SIZE_T size, void** out, BOOL) override {
        *out = block;
        return size;
    }
    STDMETHODIMP_(void*) PostRealloc(void* block, BOOL) override { return block; }
    STDMETHODIMP_(void*) PreGetSize(void* block, BOOL) override { return block; }
    STDMETHODIMP_(SIZE_T) PostGetSize(SIZE_T size, BOOL) override { return size; }
    STDMETHODIMP_(void*) PreDidAlloc(void* block, BOOL) override { return block; }
    STDMETHODIMP_(int) PostDidAlloc(void*, BOOL, int actual) override { return actual; }
    STDMETHODIMP_(void) PreHeapMinimize() override {}
    STDMETHODIMP_(void) PostHeapMinimize() override {}

    std::set<void*> live;
    size_t frees = 0;

private:
    bool watchNext_ = false;
};
LongStringSpy spy;

// A long string from every getter: with S_OK for the host name, S_FALSE for the href,
// E_FAIL for the search; the other parts as the stand-in has them (empty).
class LongStrings : public browser::HtmlLocation {
public:
    HRESULT STDMETHODCALLTYPE get_hostname(BSTR* p) override { return Answer(S_OK, p); }
    HRESULT STDMETHODCALLTYPE get_href(BSTR* p) override { return Answer(S_FALSE, p); }
    HRESULT STDMETHODCALLTYPE get_search(BSTR* p) override { return Answer(E_FAIL, p); }

private:
    static HRESULT Answer(HRESULT hr, BSTR* p) {
        *p = ::SysAllocString(std::wstring(kLongString, L'x').c_str());
        return hr;
    }
};

TEST(LocationStringsTest, StringsReturnedWithoutSOkAreFreedAndTheKeptOneGoesWithTheLocation) {
    ASSERT_EQ(S_OK, ::CoRegisterMallocSpy(&spy));
    {
        const CLocation location(com::ComPtr<IHTMLLocation>(new LongStrings()));
        EXPECT_EQ(kLongString, location.GetHostName().size());
        EXPECT_EQ(L"", location.GetHref());
        EXPECT_EQ(L"", location.GetSearch());
        EXPECT_EQ(2u, spy.frees);
        EXPECT_EQ(1u, spy.live.size());
    }
    EXPECT_EQ(3u, spy.frees);
    EXPECT_EQ(0u, spy.live.size());
    (void)::CoRevokeMallocSpy();
}

}  // namespace
}  // namespace pelmora
