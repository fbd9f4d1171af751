#include "runtime/IEBrowserScriptlet.h"

#include <exdisp.h>
#include <exdispid.h>

#include <algorithm>
#include <new>
#include <system_error>

#include "core/Logger.h"
#include "framework/win/Ansi.h"
#include "runtime/BarNotifications.h"
#include "runtime/UrlScriptName.h"

namespace pelmora {

namespace {

constexpr char kSourceFile[] = "IEBrowserScriptlet";

// The object an argument holds, directly or by reference; none for anything else.
IDispatch* ObjectOf(const VARIANT& argument) noexcept {
    switch (argument.vt) {
    case VT_DISPATCH:
        return argument.pdispVal;
    case VT_DISPATCH | VT_BYREF:
        return argument.ppdispVal ? *argument.ppdispVal : nullptr;
    case VT_VARIANT | VT_BYREF:
        return argument.pvarVal && argument.pvarVal->vt == VT_DISPATCH ? argument.pvarVal->pdispVal : nullptr;
    default:
        return nullptr;
    }
}

}  // namespace

CIEBrowserScriptlet::CIEBrowserScriptlet(std::shared_ptr<const IUrlScriptTree> urlTree, std::wstring scriptRoot,
                                         std::wstring scriptPath)
    : CScriptlet(BrowserEvents(), std::move(scriptRoot), std::move(scriptPath)),
      urlTree_(std::move(urlTree)) {
    if (!lock_.initialized()) {
        throw std::system_error(HRESULT_FROM_WIN32(::GetLastError()), std::system_category(),
                                "CIEBrowserScriptlet lock");
    }
}

CIEBrowserScriptlet::~CIEBrowserScriptlet() {
    win::CriticalSectionLock hold(lock_);
    for (const auto& scriptlet : windowScriptlets_) {
        // A window that unloads later must find no owner to call back.
        scriptlet->ForgetOwner();
        (void)scriptlet->Detach();  // each logs its own failure
    }
    windowScriptlets_.clear();
}

HRESULT CIEBrowserScriptlet::PreInvoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                       UINT*) {
    // pDisp is the first of DocumentComplete's two arguments, last in rgvarg; a call
    // that does not carry an object there is left to the script alone.
    if (id == DISPID_DOCUMENTCOMPLETE && params && params->rgvarg && params->cArgs >= 2) {
        if (IDispatch* frame = ObjectOf(params->rgvarg[1])) OnDocumentComplete(com::ComPtr<IDispatch>(frame));
    }
    return 0;
}

void CIEBrowserScriptlet::OnDocumentComplete(com::ComPtr<IDispatch> frame) noexcept {
    try {
        com::ComPtr<IWebBrowser2> browser;
        if (!frame || FAILED(frame->QueryInterface(IID_IWebBrowser2, browser.put_void())) || !browser) return;
        com::ComPtr<IDispatch> document;
        if (FAILED(browser->get_Document(document.put())) || !document) return;
        com::ComPtr<IHTMLDocument2> htmlDocument;
        if (FAILED(document->QueryInterface(IID_IHTMLDocument2, htmlDocument.put_void())) || !htmlDocument) {
            PELMORA_LOG(LOG_WARNING, "Not an HTML document, only HTML resources supported.", 1,
                        "CIEBrowserScriptlet::OnDocumentComplete");
            return;
        }
        com::ComPtr<IHTMLWindow2> window;
        HRESULT hr = htmlDocument->get_parentWindow(window.put());
        if (FAILED(hr) || !window) {
            PELMORA_LOG(LOG_ERROR, "Can not get parentWindow.", FAILED(hr) ? hr : E_POINTER,
                        "CIEBrowserScriptlet::OnDocumentComplete");
            return;
        }
        com::ComPtr<IHTMLLocation> location;
        hr = window->get_location(location.put());
        if (FAILED(hr) || !location) {
            PELMORA_LOG(LOG_ERROR, "Can not get location.", FAILED(hr) ? hr : E_POINTER,
                        "CIEBrowserScriptlet::OnDocumentComplete");
            return;
        }

        // An href already collected keeps its first location, whose parts the same href
        // gives again: only a new one is read whole. A document whose href cannot be read
        // is no page seen before: its names are its own, and it is not collected.
        com::Bstr href = CLocation::ReadHref(location.get());
        std::shared_ptr<const CLocation> completed;
        if (href.get()) completed = collected_.Find(std::wstring_view(href.get(), href.length()));
        if (!completed) {
            const bool collect = href.get() != nullptr;
            completed = std::make_shared<const CLocation>(std::move(location), std::move(href));
            if (collect) collected_.Add(completed);
        }

        const auto attachIfChecked = [this, &window](const std::wstring& key, bool usable) {
            if (!urlTree_->IsScriptChecked(key)) return;
            if (!usable) {
                // The user checked it, so say why it never runs; an unchecked one is no news.
                PELMORA_LOG(LOG_ERROR, "Unusable URL script name (" + win::WideToAnsi(key) + ").", 1,
                            "CIEBrowserScriptlet::OnDocumentComplete");
                return;
            }
            (void)AttachWindowScriptlet(key, window);  // failures are logged
        };
        if (urlTree_) {
            const std::wstring siteKey = UrlScriptKey(completed->GetSiteScriptName());
            attachIfChecked(siteKey, completed->IsSiteScriptNameUsable());
            const std::wstring pageName = completed->GetPageScriptName();
            // A page without a path name would name the site script a second time.
            if (!pageName.empty()) {
                const std::wstring pageKey = UrlScriptKey(pageName);
                if (pageKey != siteKey) attachIfChecked(pageKey, completed->IsPageScriptNameUsable());
            }
        }
        if (const auto bar = GetCurrentBarSlot()) bar->OnLocationsCollected();
    } catch (...) {
        // Out of memory while collecting: the event still reaches the script.
    }
}

HRESULT CIEBrowserScriptlet::AttachWindowScriptlet(const std::wstring& key, com::ComPtr<IHTMLWindow2> window) noexcept {
    if (!urlTree_) return E_UNEXPECTED;
    if (!window) return E_POINTER;
    com::ComPtr<CHTMLWindowScriptlet> scriptlet;
    try {
        scriptlet = com::ComPtr<CHTMLWindowScriptlet>(new CHTMLWindowScriptlet(this, urlTree_->GetDirectory(), key));
        win::CriticalSectionLock hold(lock_);
        windowScriptlets_.push_back(scriptlet);
    } catch (...) {
        return S_FALSE;
    }
    const HRESULT hr = scriptlet->Attach(window.get());
    if (FAILED(hr)) {
        win::CriticalSectionLock hold(lock_);
        windowScriptlets_.erase(std::remove(windowScriptlets_.begin(), windowScriptlets_.end(), scriptlet),
                                windowScriptlets_.end());
    }
    return hr;
}

HRESULT CIEBrowserScriptlet::RemoveWindowScriptlet(com::ComPtr<CHTMLWindowScriptlet> scriptlet) noexcept {
    if (!scriptlet) return E_POINTER;
    {
        win::CriticalSectionLock hold(lock_);
        const auto ofTheWindow = [&](const com::ComPtr<CHTMLWindowScriptlet>& entry) {
            if (!(entry == scriptlet) && !entry->SharesWindowWith(*scriptlet.get())) return false;
            // The others of this window detach themselves on their own unload call,
            // which may come after this object is gone.
            entry->ForgetOwner();
            return true;
        };
        windowScriptlets_.erase(std::remove_if(windowScriptlets_.begin(), windowScriptlets_.end(), ofTheWindow),
                                windowScriptlets_.end());
    }
    return scriptlet->Detach();
}

std::shared_ptr<CollectedLocations> CIEBrowserScriptlet::GetCollectedLocations() const {
    return std::make_shared<CollectedLocations>(collected_.ByHref());
}

size_t CIEBrowserScriptlet::GetWindowScriptletCount() noexcept {
    win::CriticalSectionLock hold(lock_);
    return windowScriptlets_.size();
}

}  // namespace pelmora
