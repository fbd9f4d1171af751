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
#include <vector>

#include "scriptrt/FakeDispatch.h"

namespace pelmora::test {

class FakeEventSource final : public FakeDispatch, public IConnectionPointContainer, public IConnectionPoint {
public:
    explicit FakeEventSource(const IID& events) : events_(events), windowView_(*this) {}
    ~FakeEventSource() {
        for (IDispatch* sink : sinks_)
            if (sink) sink->Release();
    }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        const com::InterfaceEntry entries[] = {{&IID_IDispatch, static_cast<IDispatch*>(this)},
                                               {&IID_IConnectionPointContainer, static_cast<IConnectionPointContainer*>(this)},
                                               {&IID_IConnectionPoint, static_cast<IConnectionPoint*>(this)}};
        return com::QueryInterfaceFromTable(entries, iid, out);
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
    // to. Scriptlets use a window as an IDispatch only: those methods are the source's,
    // and a call of any window member fails the test.
    IHTMLWindow2* AsWindow() noexcept { return &windowView_; }

    int advises = 0;
    int unadvises = 0;
    // Run at the end of a successful Advise or Unadvise.
    std::function<void()> afterAdvise;
    std::function<void()> afterUnadvise;

private:
    // The window view: IUnknown and IDispatch go to the source, every window member
    // fails the test. Each member is written out so that it has its own calling
    // convention: on x86 a stdcall method pops its own arguments.
    class WindowView final : public IHTMLWindow2 {
    public:
        explicit WindowView(FakeEventSource& source) : source_(source) {}
        STDMETHODIMP QueryInterface(REFIID iid, void** out) override { return source_.QueryInterface(iid, out); }
        STDMETHODIMP_(ULONG) AddRef() override { return source_.AddRef(); }
        STDMETHODIMP_(ULONG) Release() override { return source_.Release(); }
        STDMETHODIMP GetTypeInfoCount(UINT* count) override { return source_.GetTypeInfoCount(count); }
        STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override {
            return source_.GetTypeInfo(index, lcid, info);
        }
        STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override {
            return source_.GetIDsOfNames(iid, names, count, lcid, ids);
        }
        STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                            EXCEPINFO* exception, UINT* argError) override {
            return source_.Invoke(id, iid, lcid, flags, params, result, exception, argError);
        }
        STDMETHODIMP item(VARIANT*, VARIANT*) override { return Unexpected("item"); }
        STDMETHODIMP get_length(LONG*) override { return Unexpected("get_length"); }
        STDMETHODIMP get_frames(IHTMLFramesCollection2**) override { return Unexpected("get_frames"); }
        STDMETHODIMP put_defaultStatus(BSTR) override { return Unexpected("put_defaultStatus"); }
        STDMETHODIMP get_defaultStatus(BSTR*) override { return Unexpected("get_defaultStatus"); }
        STDMETHODIMP put_status(BSTR) override { return Unexpected("put_status"); }
        STDMETHODIMP get_status(BSTR*) override { return Unexpected("get_status"); }
        STDMETHODIMP setTimeout(BSTR, LONG, VARIANT*, LONG*) override { return Unexpected("setTimeout"); }
        STDMETHODIMP clearTimeout(LONG) override { return Unexpected("clearTimeout"); }
        STDMETHODIMP alert(BSTR) override { return Unexpected("alert"); }
        STDMETHODIMP confirm(BSTR, VARIANT_BOOL*) override { return Unexpected("confirm"); }
        STDMETHODIMP prompt(BSTR, BSTR, VARIANT*) override { return Unexpected("prompt"); }
        STDMETHODIMP get_Image(IHTMLImageElementFactory**) override { return Unexpected("get_Image"); }
        STDMETHODIMP get_location(IHTMLLocation**) override { return Unexpected("get_location"); }
        STDMETHODIMP get_history(IOmHistory**) override { return Unexpected("get_history"); }
        STDMETHODIMP close() override { return Unexpected("close"); }
        STDMETHODIMP put_opener(VARIANT) override { return Unexpected("put_opener"); }
        STDMETHODIMP get_opener(VARIANT*) override { return Unexpected("get_opener"); }
        STDMETHODIMP get_navigator(IOmNavigator**) override { return Unexpected("get_navigator"); }
        STDMETHODIMP put_name(BSTR) override { return Unexpected("put_name"); }
        STDMETHODIMP get_name(BSTR*) override { return Unexpected("get_name"); }
        STDMETHODIMP get_parent(IHTMLWindow2**) override { return Unexpected("get_parent"); }
        STDMETHODIMP open(BSTR, BSTR, BSTR, VARIANT_BOOL, IHTMLWindow2**) override { return Unexpected("open"); }
        STDMETHODIMP get_self(IHTMLWindow2**) override { return Unexpected("get_self"); }
        STDMETHODIMP get_top(IHTMLWindow2**) override { return Unexpected("get_top"); }
        STDMETHODIMP get_window(IHTMLWindow2**) override { return Unexpected("get_window"); }
        STDMETHODIMP navigate(BSTR) override { return Unexpected("navigate"); }
        STDMETHODIMP put_onfocus(VARIANT) override { return Unexpected("put_onfocus"); }
        STDMETHODIMP get_onfocus(VARIANT*) override { return Unexpected("get_onfocus"); }
        STDMETHODIMP put_onblur(VARIANT) override { return Unexpected("put_onblur"); }
        STDMETHODIMP get_onblur(VARIANT*) override { return Unexpected("get_onblur"); }
        STDMETHODIMP put_onload(VARIANT) override { return Unexpected("put_onload"); }
        STDMETHODIMP get_onload(VARIANT*) override { return Unexpected("get_onload"); }
        STDMETHODIMP put_onbeforeunload(VARIANT) override { return Unexpected("put_onbeforeunload"); }
        STDMETHODIMP get_onbeforeunload(VARIANT*) override { return Unexpected("get_onbeforeunload"); }
        STDMETHODIMP put_onunload(VARIANT) override { return Unexpected("put_onunload"); }
        STDMETHODIMP get_onunload(VARIANT*) override { return Unexpected("get_onunload"); }
        STDMETHODIMP put_onhelp(VARIANT) override { return Unexpected("put_onhelp"); }
        STDMETHODIMP get_onhelp(VARIANT*) override { return Unexpected("get_onhelp"); }
        STDMETHODIMP put_onerror(VARIANT) override { return Unexpected("put_onerror"); }
        STDMETHODIMP get_onerror(VARIANT*) override { return Unexpected("get_onerror"); }
        STDMETHODIMP put_onresize(VARIANT) override { return Unexpected("put_onresize"); }
        STDMETHODIMP get_onresize(VARIANT*) override { return Unexpected("get_onresize"); }
        STDMETHODIMP put_onscroll(VARIANT) override { return Unexpected("put_onscroll"); }
        STDMETHODIMP get_onscroll(VARIANT*) override { return Unexpected("get_onscroll"); }
        STDMETHODIMP get_document(IHTMLDocument2**) override { return Unexpected("get_document"); }
        STDMETHODIMP get_event(IHTMLEventObj**) override { return Unexpected("get_event"); }
        STDMETHODIMP get__newEnum(IUnknown**) override { return Unexpected("get__newEnum"); }
        STDMETHODIMP showModalDialog(BSTR, VARIANT*, VARIANT*, VARIANT*) override {
            return Unexpected("showModalDialog");
        }
        STDMETHODIMP showHelp(BSTR, VARIANT, BSTR) override { return Unexpected("showHelp"); }
        STDMETHODIMP get_screen(IHTMLScreen**) override { return Unexpected("get_screen"); }
        STDMETHODIMP get_Option(IHTMLOptionElementFactory**) override { return Unexpected("get_Option"); }
        STDMETHODIMP focus() override { return Unexpected("focus"); }
        STDMETHODIMP get_closed(VARIANT_BOOL*) override { return Unexpected("get_closed"); }
        STDMETHODIMP blur() override { return Unexpected("blur"); }
        STDMETHODIMP scroll(LONG, LONG) override { return Unexpected("scroll"); }
        STDMETHODIMP get_clientInformation(IOmNavigator**) override { return Unexpected("get_clientInformation"); }
        STDMETHODIMP setInterval(BSTR, LONG, VARIANT*, LONG*) override { return Unexpected("setInterval"); }
        STDMETHODIMP clearInterval(LONG) override { return Unexpected("clearInterval"); }
        STDMETHODIMP put_offscreenBuffering(VARIANT) override { return Unexpected("put_offscreenBuffering"); }
        STDMETHODIMP get_offscreenBuffering(VARIANT*) override { return Unexpected("get_offscreenBuffering"); }
        STDMETHODIMP execScript(BSTR, BSTR, VARIANT*) override { return Unexpected("execScript"); }
        STDMETHODIMP toString(BSTR*) override { return Unexpected("toString"); }
        STDMETHODIMP scrollBy(LONG, LONG) override { return Unexpected("scrollBy"); }
        STDMETHODIMP scrollTo(LONG, LONG) override { return Unexpected("scrollTo"); }
        STDMETHODIMP moveTo(LONG, LONG) override { return Unexpected("moveTo"); }
        STDMETHODIMP moveBy(LONG, LONG) override { return Unexpected("moveBy"); }
        STDMETHODIMP resizeTo(LONG, LONG) override { return Unexpected("resizeTo"); }
        STDMETHODIMP resizeBy(LONG, LONG) override { return Unexpected("resizeBy"); }
        STDMETHODIMP get_external(IDispatch**) override { return Unexpected("get_external"); }

    private:
        static HRESULT Unexpected(const char* member) {
            ADD_FAILURE() << "the window member " << member << " of the fake window was called";
            return E_NOTIMPL;
        }
        FakeEventSource& source_;
    };

    IID events_;
    std::vector<IDispatch*> sinks_;
    WindowView windowView_;
};

}  // namespace pelmora::test
