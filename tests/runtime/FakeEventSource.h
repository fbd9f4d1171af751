#pragma once
// An event source as a browser object is one: an IDispatch whose properties scripts
// may read and write, with one connection point for its event interface. It fires
// events into every advised sink and counts its own references. Like Internet
// Explorer's, its connection point holds no reference to a sink while it calls it: a
// sink that unadvises itself during the call may be gone when the call returns.
#include <mshtml.h>
#include <ocidl.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <vector>

#include "scriptrt/FakeDispatch.h"

namespace pelmora::test {

class FakeEventSource final : public FakeDispatch, public IConnectionPointContainer, public IConnectionPoint {
public:
    explicit FakeEventSource(const IID& events) : events_(events), windowView_{WindowVtable(), this} {}
    ~FakeEventSource() {
        for (IDispatch* sink : sinks_)
            if (sink) sink->Release();
    }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch))
            *out = static_cast<IDispatch*>(this);
        else if (IsEqualIID(iid, IID_IConnectionPointContainer))
            *out = static_cast<IConnectionPointContainer*>(this);
        else if (IsEqualIID(iid, IID_IConnectionPoint))
            *out = static_cast<IConnectionPoint*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    // One count for every interface; properties behave as a plain object's.
    STDMETHODIMP_(ULONG) AddRef() override { return FakeDispatch::AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return FakeDispatch::Release(); }

    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override {
        if (!point) return E_POINTER;
        *point = nullptr;
        if (!IsEqualIID(iid, events_)) return CONNECT_E_NOCONNECTION;
        *point = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }

    STDMETHODIMP GetConnectionInterface(IID* iid) override {
        *iid = events_;
        return S_OK;
    }
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override {
        *container = this;
        AddRef();
        return S_OK;
    }
    // Cookies are slot index + 1; an unadvised slot is cleared.
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override {
        if (!sink || !cookie) return E_POINTER;
        IDispatch* dispatch = nullptr;
        if (FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch))))
            return CONNECT_E_CANNOTCONNECT;
        sinks_.push_back(dispatch);
        *cookie = static_cast<DWORD>(sinks_.size());
        ++advises;
        if (afterAdvise) afterAdvise();
        return S_OK;
    }
    STDMETHODIMP Unadvise(DWORD cookie) override {
        if (cookie == 0 || cookie > sinks_.size() || !sinks_[cookie - 1]) return CONNECT_E_NOCONNECTION;
        IDispatch* sink = sinks_[cookie - 1];
        sinks_[cookie - 1] = nullptr;
        sink->Release();
        ++unadvises;
        if (afterUnadvise) afterUnadvise();
        return S_OK;
    }
    STDMETHODIMP EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

    // Calls every sink advised when the call began and still advised when its turn
    // comes; the first answer other than S_OK is returned.
    HRESULT Fire(DISPID id, DISPPARAMS* params, WORD flags = DISPATCH_METHOD, VARIANT* result = nullptr) {
        HRESULT first = S_OK;
        const size_t count = sinks_.size();
        for (size_t slot = 0; slot < count; ++slot) {
            IDispatch* sink = sinks_[slot];
            if (!sink) continue;
            const HRESULT hr = sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, params, result, nullptr, nullptr);
            if (hr != S_OK && first == S_OK) first = hr;
        }
        return first;
    }

    [[nodiscard]] size_t Connections() const {
        size_t live = 0;
        for (IDispatch* sink : sinks_) live += sink != nullptr;
        return live;
    }

    // The source as the IHTMLWindow2 that the browser scriptlet attaches window scripts
    // to. Scriptlets use a window as an IDispatch only: those slots are the source's, and
    // a call of any window member fails the test. (On x64 every COM method has the same
    // calling convention, so one stub serves every slot.)
    IHTMLWindow2* AsWindow() noexcept { return reinterpret_cast<IHTMLWindow2*>(&windowView_); }

    int advises = 0;
    int unadvises = 0;
    // Run at the end of a successful Advise or Unadvise.
    std::function<void()> afterAdvise;
    std::function<void()> afterUnadvise;

private:
    // The window view: a vtable pointer and the source it forwards to.
    struct WindowView {
        const void* const* vtable;
        FakeEventSource* source;
    };
    static FakeEventSource* Of(void* view) { return static_cast<WindowView*>(view)->source; }
    static HRESULT STDMETHODCALLTYPE ViewQI(void* v, REFIID iid, void** out) { return Of(v)->QueryInterface(iid, out); }
    static ULONG STDMETHODCALLTYPE ViewAddRef(void* v) { return Of(v)->AddRef(); }
    static ULONG STDMETHODCALLTYPE ViewRelease(void* v) { return Of(v)->Release(); }
    static HRESULT STDMETHODCALLTYPE ViewCount(void* v, UINT* n) { return Of(v)->GetTypeInfoCount(n); }
    static HRESULT STDMETHODCALLTYPE ViewInfo(void* v, UINT i, LCID l, ITypeInfo** t) {
        return Of(v)->GetTypeInfo(i, l, t);
    }
    static HRESULT STDMETHODCALLTYPE ViewIds(void* v, REFIID iid, LPOLESTR* names, UINT n, LCID l, DISPID* ids) {
        return Of(v)->GetIDsOfNames(iid, names, n, l, ids);
    }
    static HRESULT STDMETHODCALLTYPE ViewInvoke(void* v, DISPID id, REFIID iid, LCID l, WORD flags, DISPPARAMS* p,
                                                VARIANT* r, EXCEPINFO* e, UINT* a) {
        return Of(v)->Invoke(id, iid, l, flags, p, r, e, a);
    }
    static HRESULT STDMETHODCALLTYPE ViewWindowMember(void*) {
        ADD_FAILURE() << "a window member of the fake window was called";
        return E_NOTIMPL;
    }
    // IUnknown and IDispatch, then the 70 members of IHTMLWindow2.
    static const void* const* WindowVtable() {
        static const void* slots[7 + 70] = {
            reinterpret_cast<const void*>(&ViewQI),    reinterpret_cast<const void*>(&ViewAddRef),
            reinterpret_cast<const void*>(&ViewRelease), reinterpret_cast<const void*>(&ViewCount),
            reinterpret_cast<const void*>(&ViewInfo),  reinterpret_cast<const void*>(&ViewIds),
            reinterpret_cast<const void*>(&ViewInvoke)};
        static const bool filled = [] {
            for (size_t at = 7; at < std::size(slots); ++at)
                slots[at] = reinterpret_cast<const void*>(&ViewWindowMember);
            return true;
        }();
        (void)filled;
        return slots;
    }

    IID events_;
    std::vector<IDispatch*> sinks_;
    WindowView windowView_;
};

}  // namespace pelmora::test
