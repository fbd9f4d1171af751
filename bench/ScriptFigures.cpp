// The figures of a completed document: one DocumentComplete through the browser
// scriptlet, and the scriptlet's own handling of it as the URL tree grows.
#include <windows.h>
#include <exdisp.h>
#include <exdispid.h>

#include <memory>

#include "BenchData.h"
#include "Figures.h"
#include "Measure.h"
#include "TestSupport.h"
#include "browser/WebBrowser.h"
#include "framework/com/Bstr.h"
#include "framework/com/Variant.h"
#include "runtime/IEBrowserScriptlet.h"
#include "runtime/ParamsTranslator.h"
#include "ui/FileBrowser.h"

namespace pelmora::bench {

namespace {

constexpr wchar_t kPageUrl[] = L"http://h.example/news/index.html";
// What a script typically does with the event: read its argument.
constexpr char kDocumentCompleteBody[] = "var url = Params.URL;";

// A browser showing kPageUrl, and the arguments it fires DocumentComplete with: pDisp
// (the browser object) and the URL by reference, last first.
struct ShownPage {
    ShownPage() {
        browser->DescribePage({kPageUrl, L"Index", {}, true});
        com::Bstr url(kPageUrl);
        shown = SUCCEEDED(browser->Navigate(url.get(), nullptr, nullptr, nullptr, nullptr));
        V_VT(urlValue.get()) = VT_BSTR;
        V_BSTR(urlValue.get()) = com::Bstr(kPageUrl).Detach();
        V_VT(&arguments[0]) = VT_BYREF | VT_VARIANT;
        V_VARIANTREF(&arguments[0]) = urlValue.get();
        V_VT(&arguments[1]) = VT_DISPATCH;
        V_DISPATCH(&arguments[1]) = Frame();
    }
    IDispatch* Frame() const { return static_cast<IWebBrowser2*>(browser.get()); }

    com::ComPtr<browser::WebBrowser> browser = browser::CreateWebBrowser(nullptr);
    bool shown = false;
    com::Variant urlValue;
    VARIANT arguments[2] = {};
    DISPPARAMS params{arguments, nullptr, 2, 0};
};

}  // namespace

bool MeasureEventDispatch(const Settings& settings, Report& report) {
    ShownPage page;
    if (!page.shown) return Fail("the browser stand-in did not show the page");
    const std::wstring root = settings.workDirectory + L"\\dispatch";
    ::CreateDirectoryW(root.c_str(), nullptr);
    if (!WriteMainScript(root + L"\\main.WSC", kDocumentCompleteBody)) return false;
    com::ComPtr<CIEBrowserScriptlet> scriptlet(new CIEBrowserScriptlet(nullptr, root, L"\\main.WSC"));
    if (FAILED(scriptlet->Attach(page.Frame()))) return Fail("the main script did not attach");

    // The baseline calls the same function of the same script object directly, with an
    // argument made once beforehand.
    IDispatch* script = scriptlet->ScriptObject();
    LPOLESTR name = const_cast<LPOLESTR>(L"DocumentComplete");
    DISPID function = DISPID_UNKNOWN;
    if (FAILED(script->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &function)))
        return Fail("the script has no DocumentComplete");
    const auto eventTypeInfo = CScriptlet::GetTypeInfo(BrowserEvents());
    CParamsTranslator translator(DISPID_DOCUMENTCOMPLETE, &page.params, eventTypeInfo.get());
    com::ComPtr<CParams> prepared;
    if (FAILED(translator.CreateParams(prepared))) return Fail("no Params object for the baseline");
    com::Variant argument;
    V_VT(argument.get()) = VT_DISPATCH;
    V_DISPATCH(argument.get()) = prepared.get();
    prepared->AddRef();

    HRESULT pelmoraResult = S_OK, baselineResult = S_OK;
    const int calls = settings.smoke ? 1 : 20;
    const PairedResult result = MeasurePaired(
        settings.quick,
        [&] {
             return TimePerRun(calls, [&] {
                 HRESULT hr = scriptlet->Invoke(DISPID_DOCUMENTCOMPLETE, IID_NULL, LOCALE_USER_DEFAULT,
                                                DISPATCH_METHOD, &page.params, nullptr, nullptr, nullptr);
                 if (FAILED(hr)) pelmoraResult = hr;
             });
         },
        [&] {
             return TimePerRun(calls, [&] {
                 DISPPARAMS one{argument.get(), nullptr, 1, 0};
                 com::Variant result;
                 EXCEPINFO exception{};
                 HRESULT hr = script->Invoke(function, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &one,
                                             result.get(), &exception, nullptr);
                 ::SysFreeString(exception.bstrSource);
                 ::SysFreeString(exception.bstrDescription);
                 ::SysFreeString(exception.bstrHelpFile);
                 if (FAILED(hr)) baselineResult = hr;
             });
         });
    (void)scriptlet->Detach();
    if (FAILED(pelmoraResult)) return Fail("DocumentComplete through the scriptlet failed");
    if (FAILED(baselineResult)) return Fail("the direct call of DocumentComplete failed");
    if (scriptlet->GetCollectedCount() != 1) return Fail("the completed page was not collected");
    report.Add(PairedRow("event dispatch", result, 1.5,
                         std::to_string(calls) + " events a round, " + std::to_string(settings.quick.rounds) +
                             " rounds a pair; the script reads Params.URL"));
    return true;
}

bool MeasurePerPageCost(const Settings& settings, Report& report) {
    ShownPage page;
    if (!page.shown) return Fail("the browser stand-in did not show the page");
    // A hidden window for the URL trees, which fill real tree controls as the form's do.
    HWND parent = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 400, nullptr, nullptr, nullptr, nullptr);
    struct Size {
        int scripts;
        HWND tree;
        std::shared_ptr<CFileBrowser> model;
        com::ComPtr<CIEBrowserScriptlet> scriptlet;
    };
    std::vector<Size> sizes;
    for (int scripts : settings.pageSizes) {
        const std::wstring directory = settings.workDirectory + L"\\urls" + std::to_wstring(scripts);
        ::CreateDirectoryW(directory.c_str(), nullptr);
        const auto keys = WriteScriptFolders(directory, scripts, 100, "page", "<component/>");
        if (keys.size() != static_cast<size_t>(scripts)) return Fail("cannot write the URL scripts");
        const std::wstring valueName = L"\\bench\\page" + std::to_wstring(scripts) + L".WSC";
        if (!SaveMarks(valueName, keys, 2)) return Fail("cannot save the URL tree's marks");
        Size size{scripts, ::CreateWindowExW(0, WC_TREEVIEWW, L"", WS_CHILD | TVS_CHECKBOXES, 0, 0, 300, 300, parent,
                                             nullptr, nullptr, nullptr),
                  std::make_shared<CFileBrowser>(valueName), {}};
        if (FAILED(size.model->Load(size.tree, directory))) return Fail("the URL tree did not load");
        if (!size.model->IsScriptChecked(keys[0]) || (keys.size() > 1 && size.model->IsScriptChecked(keys[1])))
            return Fail("the URL tree lost its marks");
        size.scriptlet = com::ComPtr<CIEBrowserScriptlet>(new CIEBrowserScriptlet(size.model, L"", L"\\main.WSC"));
        sizes.push_back(std::move(size));
    }

    // The page's own site and page scripts are not installed: what is timed is the
    // handling every page gets, the lookups included, not the start of a URL script.
    const int documents = settings.smoke ? 1 : 20;
    auto handle = [&](Size& size) -> TimedRun {
        return [&] {
            return TimePerRun(documents,
                              [&] { size.scriptlet->OnDocumentComplete(com::ComPtr<IDispatch>(page.Frame())); });
        };
    };
    // The figure pairs the largest tree with the smallest. The growth rows are timed
    // apart, every size in turn, so that their points share one stretch of the machine's
    // load.
    const PairedResult result = MeasurePaired(settings.quick, handle(sizes.back()), handle(sizes.front()));
    std::vector<TimedRun> everySize;
    for (Size& size : sizes) everySize.push_back(handle(size));
    const auto medians = MedianOfInterleaved(settings.growthRepeats * settings.quick.rounds, everySize);
    bool handled = true;
    GrowthSeries growth{"per-page cost", {}, ""};
    std::vector<double> scripts, times;
    for (size_t i = 0; i < sizes.size(); ++i) {
        handled = handled && sizes[i].scriptlet->GetCollectedCount() == 1 &&
                  sizes[i].scriptlet->GetWindowScriptletCount() == 0;
        growth.points.push_back({static_cast<double>(sizes[i].scripts), medians[i], 0});
        scripts.push_back(sizes[i].scripts);
        times.push_back(medians[i]);
    }
    growth.shape = GrowthShape(scripts, times);
    sizes.clear();
    ::DestroyWindow(parent);
    if (!handled) return Fail("a completed page was not handled as it should be");
    report.Add(PairedRow("per-page cost, " + std::to_string(static_cast<int>(scripts.back())) + " vs " +
                             std::to_string(static_cast<int>(scripts.front())) + " scripts",
                         result, 1.1,
                         std::to_string(documents) + " documents a round, " + std::to_string(settings.quick.rounds) +
                             " rounds a pair; half the URL scripts checked"));
    report.Add(std::move(growth));
    return true;
}

}  // namespace pelmora::bench
