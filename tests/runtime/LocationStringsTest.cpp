// Who frees the strings a location's getters hand out: a getter may return a string
// together with a success code other than S_OK, and that string is still the
// caller's to free.
#include <gtest/gtest.h>
#include <objbase.h>

#include <set>

#include "browser/HtmlLocation.h"
#include "runtime/Location.h"

namespace pelmora {
namespace {

// Strings this long bypass the platform's string cache, so each one's free reaches
// the task allocator, where the spy below sees it.
constexpr UINT kWatchedLength = 70000;
constexpr SIZE_T kWatchedBytes = kWatchedLength * sizeof(wchar_t);

// Counts the frees of the task allocations of at least kWatchedBytes. Static: the
// allocator keeps a spy until every allocation it watched has been freed.
class FreeCountingSpy final : public IMallocSpy {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IMallocSpy)) return E_NOINTERFACE;
        *out = static_cast<IMallocSpy*>(this);
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP_(SIZE_T) PreAlloc(SIZE_T size) override {
        watchNext_ = size >= kWatchedBytes;
        return size;
    }
    STDMETHODIMP_(void*) PostAlloc(void* actual) override {
        if (watchNext_ && actual) live_.insert(actual);
        watchNext_ = false;
        return actual;
    }
    STDMETHODIMP_(void*) PreFree(void* request, BOOL) override {
        if (live_.erase(request)) ++frees_;
        return request;
    }
    STDMETHODIMP_(void) PostFree(BOOL) override {}
    STDMETHODIMP_(SIZE_T) PreRealloc(void* request, SIZE_T size, void** newRequest, BOOL) override {
        *newRequest = request;
        return size;
    }
    STDMETHODIMP_(void*) PostRealloc(void* actual, BOOL) override { return actual; }
    STDMETHODIMP_(void*) PreGetSize(void* request, BOOL) override { return request; }
    STDMETHODIMP_(SIZE_T) PostGetSize(SIZE_T actual, BOOL) override { return actual; }
    STDMETHODIMP_(void*) PreDidAlloc(void* request, BOOL) override { return request; }
    STDMETHODIMP_(int) PostDidAlloc(void*, BOOL, int actual) override { return actual; }
    STDMETHODIMP_(void) PreHeapMinimize() override {}
    STDMETHODIMP_(void) PostHeapMinimize() override {}

    [[nodiscard]] size_t Live() const { return live_.size(); }
    [[nodiscard]] size_t Frees() const { return frees_; }

private:
    bool watchNext_ = false;
    std::set<void*> live_;
    size_t frees_ = 0;
};

FreeCountingSpy spy;

// Every getter returns a long string; the host name and the path name with S_OK, the
// others with S_FALSE, which leaves their parts empty.
class StringWithEveryAnswer : public browser::HtmlLocation {
public:
    HRESULT STDMETHODCALLTYPE get_href(BSTR* p) override { return Answer(S_FALSE, p); }
    HRESULT STDMETHODCALLTYPE get_protocol(BSTR* p) override { return Answer(S_FALSE, p); }
    HRESULT STDMETHODCALLTYPE get_hostname(BSTR* p) override { return Answer(S_OK, p); }
    HRESULT STDMETHODCALLTYPE get_port(BSTR* p) override { return Answer(S_FALSE, p); }
    HRESULT STDMETHODCALLTYPE get_pathname(BSTR* p) override { return Answer(S_OK, p); }
    HRESULT STDMETHODCALLTYPE get_search(BSTR* p) override { return Answer(E_FAIL, p); }

private:
    static HRESULT Answer(HRESULT hr, BSTR* p) {
        *p = ::SysAllocStringLen(nullptr, kWatchedLength);
        for (UINT i = 0; i < kWatchedLength; ++i) (*p)[i] = L'x';
        return hr;
    }
};

TEST(LocationStringsTest, StringsReturnedWithoutSOkAreFreedAndTheKeptOnesGoWithTheLocation) {
    ASSERT_EQ(S_OK, ::CoRegisterMallocSpy(&spy));
    {
        com::ComPtr<IHTMLLocation> source(static_cast<IHTMLLocation*>(new com::ComObject<StringWithEveryAnswer>()));
        const CLocation location(source);
        EXPECT_EQ(kWatchedLength, location.GetHostName().size());
        EXPECT_EQ(kWatchedLength, location.GetPathName().size());
        EXPECT_EQ(L"", location.GetHref());
        EXPECT_EQ(L"", location.GetProtocol());
        EXPECT_EQ(L"", location.GetPort());
        EXPECT_EQ(L"", location.GetSearch());
        EXPECT_EQ(4u, spy.Frees()) << "the strings of S_FALSE and E_FAIL";
        EXPECT_EQ(2u, spy.Live()) << "host name and path name";
    }
    EXPECT_EQ(6u, spy.Frees());
    EXPECT_EQ(0u, spy.Live());
    (void)::CoRevokeMallocSpy();
}

}  // namespace
}  // namespace pelmora
