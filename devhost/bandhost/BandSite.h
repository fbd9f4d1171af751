#pragma once
// The site the frame gives the band, as the browser frame answers a band: the window
// the band lives in (IOleWindow), where the band reports that it gained or lost the
// keyboard focus (IInputObjectSite), and the browser as the services IWebBrowserApp
// and IWebBrowser2 (IServiceProvider). Other services are refused with E_NOINTERFACE.
// What the band asks goes into the transcript.
#include <ocidl.h>
#include <servprov.h>
#include <shlobj.h>
#include <exdisp.h>

#include <functional>

#include "bandhost/HostTranscript.h"
#include "framework/com/ComBase.h"
#include "framework/com/ComPtr.h"

namespace pelmora::bandhost {

class BandSite : public com::ComBase<IOleWindow, IInputObjectSite, IServiceProvider> {
public:
    using FocusListener = std::function<void(bool gained)>;

    void Init(HWND window, com::ComPtr<IWebBrowser2> browser, HostTranscript* transcript,
              FocusListener onFocusChange);
    // The frame goes: no window, no browser, nobody to tell any more. A band that kept
    // the site gets failures from now on.
    void Disconnect() noexcept;

    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP OnFocusChangeIS(IUnknown* object, BOOL gained) override;
    STDMETHODIMP QueryService(REFGUID service, REFIID iid, void** out) override;

private:
    void Note(const std::wstring& text) noexcept;

    HWND window_ = nullptr;
    com::ComPtr<IWebBrowser2> browser_;
    HostTranscript* transcript_ = nullptr;
    FocusListener onFocusChange_;
};

com::ComPtr<BandSite> CreateBandSite(HWND window, com::ComPtr<IWebBrowser2> browser,
                                                     HostTranscript* transcript,
                                                     BandSite::FocusListener onFocusChange);

// A readable name for the interfaces and services a band asks for; the GUID otherwise.
std::wstring InterfaceName(REFIID iid);

}  // namespace pelmora::bandhost
