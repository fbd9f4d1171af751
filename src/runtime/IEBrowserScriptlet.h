#pragma once
// A browser main script connected to the browser's DWebBrowserEvents2, holding the
// browser in its property "browser". Before the script hears of a completed document,
// the scriptlet records the document's location and attaches the checked site and
// page scripts to the document's window; it keeps those window scriptlets until their
// window unloads, and detaches every remaining one when it is destroyed.
#include <mshtml.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/com/ComPtr.h"
#include "framework/win/CriticalSection.h"
#include "runtime/CollectedLocations.h"
#include "runtime/HTMLWindowScriptlet.h"
#include "runtime/Scriptlet.h"
#include "runtime/UrlScriptTree.h"

namespace pelmora {

class CIEBrowserScriptlet final : public CScriptlet {
public:
    // urlTree (may be none) is the URL-script tree of this main script, shared with the
    // form. Throws std::system_error when the lock cannot be made.
    CIEBrowserScriptlet(std::shared_ptr<const IUrlScriptTree> urlTree, std::wstring scriptRoot,
                        std::wstring scriptPath);

    // Runs the document-complete handling first; the event always goes on to the script.
    HRESULT PreInvoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* exception, UINT* argumentError) override;

    // frame: the browser object of the frame (or the top browser) whose document completed.
    void OnDocumentComplete(com::ComPtr<IDispatch> frame) noexcept;
    // key: the URL script's path below the URL-script folder ("\host\page.WSC").
    HRESULT AttachWindowScriptlet(const std::wstring& key, com::ComPtr<IHTMLWindow2> window) noexcept;
    // Removes every registered scriptlet of the same window, then detaches this one.
    HRESULT RemoveWindowScriptlet(com::ComPtr<CHTMLWindowScriptlet> scriptlet) noexcept;

    [[nodiscard]] size_t GetCollectedCount() const noexcept { return collected_.size(); }
    // A new set sharing the same locations; later documents do not change it.
    [[nodiscard]] std::shared_ptr<CollectedLocations> GetCollectedLocations() const;
    [[nodiscard]] size_t GetWindowScriptletCount() noexcept;

private:
    ~CIEBrowserScriptlet() override;

    win::CriticalSection lock_;
    const std::shared_ptr<const IUrlScriptTree> urlTree_;
    std::vector<com::ComPtr<CHTMLWindowScriptlet>> windowScriptlets_;  // guarded by lock_
    LocationHistory collected_;  // the most recent distinct pages
};

}  // namespace pelmora
