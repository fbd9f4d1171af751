#pragma once
// A band object for the development host's tests, in-process or served by the test
// module through COM. It answers IDeskBand (with IDockingWindow and IOleWindow),
// IObjectWithSite and IInputObject, records the host's calls in order, and on SetSite
// makes its window inside the site's window: a check-box tree (209) with the items
// \news\daily.WSC and top.WSC, a button (211) that adds "clicked" to the list box
// (222), and a disabled button (212).
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "framework/com/ComBase.h"
#include "framework/com/ComPtr.h"
#include "framework/ui/ApplicationBase.h"
#include "framework/ui/Window.h"
#include "framework/ui/WindowClass.h"

namespace pelmora::test {

// {6F0B3A52-8E1D-4C27-9B44-3D2E7A1C5F90}
inline constexpr CLSID kFakeBandClsid = {0x6f0b3a52, 0x8e1d, 0x4c27, {0x9b, 0x44, 0x3d, 0x2e, 0x7a, 0x1c, 0x5f, 0x90}};
inline constexpr int kFakeTreeId = 209, kFakeAddButtonId = 211, kFakeDisabledButtonId = 212, kFakeListId = 222;

class FakeBandWindow final : public ui::Window {
public:
    bool Open(HWND parent) {
        static ui::WindowClass bandClass(L"PelmoraFakeBand", 0, ::LoadCursorW(nullptr, IDC_ARROW),
                                         ::GetSysColorBrush(COLOR_WINDOW));
        if (!Create(bandClass, WS_EX_CONTROLPARENT, L"", WS_CHILD | WS_CLIPCHILDREN, RECT{0, 0, 300, 400}, parent))
            return false;
        tree = Child(WC_TREEVIEWW, L"", TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS |
                     TVS_CHECKBOXES | WS_BORDER, kFakeTreeId, RECT{5, 5, 245, 165});
        const HTREEITEM news = AddItem(nullptr, L"news");
        AddItem(news, L"daily.WSC");
        AddItem(nullptr, L"top.WSC");
        addButton = Child(WC_BUTTONW, L"Add", BS_PUSHBUTTON, kFakeAddButtonId, RECT{5, 170, 85, 194});
        Child(WC_BUTTONW, L"Off", BS_PUSHBUTTON | WS_DISABLED, kFakeDisabledButtonId, RECT{90, 170, 170, 194});
        list = Child(WC_LISTBOXW, L"", WS_BORDER | LBS_NOINTEGRALHEIGHT, kFakeListId, RECT{5, 200, 245, 300});
        return tree && list && addButton;
    }

    HWND tree = nullptr, list = nullptr, addButton = nullptr;

private:
    HWND Child(const wchar_t* className, const wchar_t* text, DWORD style, int id, RECT rect) {
        return ::CreateWindowExW(0, className, text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, rect.left, rect.top,
                                 rect.right - rect.left, rect.bottom - rect.top, Handle(),
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ui::CurrentModuleInstance(),
                                 nullptr);
    }
    HTREEITEM AddItem(HTREEITEM parent, const wchar_t* text) {
        TVINSERTSTRUCTW insert{};
        insert.hParent = parent ? parent : TVI_ROOT;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT;
        insert.item.pszText = const_cast<wchar_t*>(text);
        return reinterpret_cast<HTREEITEM>(::SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    }
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) override {
        if (message != WM_COMMAND || LOWORD(wParam) != kFakeAddButtonId || HIWORD(wParam) != BN_CLICKED) return false;
        ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"clicked"));
        result = 0;
        return true;
    }
};

class FakeBand : public com::Interfaces<IDeskBand, IDockingWindow, IOleWindow, IObjectWithSite, IInputObject> {
public:
    FakeBand() noexcept {
        ++Live();
        info.dwMask = DBIM_MINSIZE | DBIM_MAXSIZE | DBIM_INTEGRAL | DBIM_ACTUAL | DBIM_TITLE | DBIM_MODEFLAGS;
        info.ptMinSize = {250, 50};
        info.ptMaxSize = {-1, -1};
        info.ptIntegral = {1, 1};
        wcscpy_s(info.wszTitle, L"Fake bar");
        info.dwModeFlags = DBIMF_VARIABLEHEIGHT;
    }
    virtual ~FakeBand() { --Live(); }
    // Objects alive in this module, for its DllCanUnloadNow.
    static LONG& Live() noexcept {
        static LONG live = 0;
        return live;
    }

    // Counted here, not in a module lock: the test module has no DllModule.
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        return com::AnswerQuery(InterfaceFor(iid), out);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&refs)); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG left = ::InterlockedDecrement(&refs);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    STDMETHODIMP GetWindow(HWND* handle) override {
        if (!handle) return E_POINTER;
        *handle = window.Handle();
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP ShowDW(BOOL show) override {
        calls.push_back(show ? "ShowDW(TRUE)" : "ShowDW(FALSE)");
        if (window.Handle()) ::ShowWindow(window.Handle(), show ? SW_SHOW : SW_HIDE);
        return S_OK;
    }
    STDMETHODIMP CloseDW(DWORD) override {
        calls.push_back("CloseDW");
        window.Destroy();
        return S_OK;
    }
    STDMETHODIMP ResizeBorderDW(LPCRECT, IUnknown*, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP GetBandInfo(DWORD, DWORD mode, DESKBANDINFO* answer) override {
        calls.push_back(mode == DBIF_VIEWMODE_VERTICAL ? "GetBandInfo(vertical)" : "GetBandInfo");
        if (!answer) return E_INVALIDARG;
        const DWORD asked = answer->dwMask;
        *answer = info;
        answer->dwMask = asked & info.dwMask;
        return S_OK;
    }
    STDMETHODIMP SetSite(IUnknown* newSite) override {
        calls.push_back(newSite ? "SetSite(site)" : "SetSite(NULL)");
        site.reset();
        if (!newSite) return S_OK;
        site = com::ComPtr<IUnknown>(newSite);
        com::ComPtr<IOleWindow> oleWindow;
        HWND parent = nullptr;
        if (FAILED(newSite->QueryInterface(IID_IOleWindow, oleWindow.put_void())) ||
            FAILED(oleWindow->GetWindow(&parent))) {
            return E_FAIL;
        }
        if (!window.Handle() && !window.Open(parent)) return E_FAIL;
        return S_OK;
    }
    STDMETHODIMP GetSite(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        return site ? site->QueryInterface(iid, out) : E_FAIL;
    }
    STDMETHODIMP UIActivateIO(BOOL activate, MSG* message) override {
        calls.push_back(std::string(activate ? "UIActivateIO(TRUE" : "UIActivateIO(FALSE") +
                        (message ? ", " + std::to_string(message->message) + ")" : ")"));
        if (activate && window.tree) {
            ::SetFocus(window.tree);
            com::ComPtr<IInputObjectSite> inputSite;
            if (site && SUCCEEDED(site->QueryInterface(IID_IInputObjectSite, inputSite.put_void())))
                inputSite->OnFocusChangeIS(static_cast<IDeskBand*>(this), TRUE);
        }
        return S_OK;
    }
    STDMETHODIMP HasFocusIO() override {
        ++focusQuestions;
        const HWND focus = ::GetFocus();
        return focus && window.Handle() && (focus == window.Handle() || ::IsChild(window.Handle(), focus)) ? S_OK
                                                                                                          : S_FALSE;
    }
    STDMETHODIMP TranslateAcceleratorIO(MSG* message) override {
        calls.push_back("TranslateAcceleratorIO(" + std::to_string(message ? message->message : 0) + ", " +
                        std::to_string(message ? message->wParam : 0) + ")");
        return translateAnswer;
    }

    LONG refs = 1;
    std::vector<std::string> calls;
    DESKBANDINFO info{};
    HRESULT translateAnswer = S_FALSE;
    int focusQuestions = 0;
    FakeBandWindow window;
    com::ComPtr<IUnknown> site;
};

}  // namespace pelmora::test
