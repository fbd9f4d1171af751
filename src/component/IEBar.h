#pragma once
// The Explorer Bar object Internet Explorer creates: it takes the browser's band site,
// puts the configuration form into the band window, answers the band, docking-window,
// focus and persistence questions, and passes the script runtime's notifications on
// to the form while it is the calling thread's current bar.
#include <windows.h>
#include <ocidl.h>
#include <shlobj.h>

#include "component/Guids.h"
#include "framework/com/ComObject.h"
#include "framework/com/ComPtr.h"
#include "framework/com/ConnectionPoint.h"
#include "framework/com/TypeInfoDispatch.h"
#include "runtime/BarNotifications.h"
#include "ui/BandFocus.h"

namespace pelmora {

class CConfigWSC2;

// IIEBar first: it is also the object's identity. An outer object may aggregate it.
using IEBarInterfaces =
    com::Interfaces<com::TypeInfoDispatch<IIEBar>, IDispatch, IDeskBand, IDockingWindow, IOleWindow, IPersistStream,
                    IPersist, IInputObject, IConnectionPointContainer, IObjectWithSite>;

class CIEBar : public IEBarInterfaces, public IBarNotifications, public IBandFocus {
public:
    CIEBar();
    virtual ~CIEBar();

    // IOleWindow
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enterMode) override;
    // IDockingWindow
    STDMETHODIMP ShowDW(BOOL show) override;
    STDMETHODIMP CloseDW(DWORD reserved) override;
    STDMETHODIMP ResizeBorderDW(LPCRECT border, IUnknown* site, BOOL reserved) override;
    // IDeskBand
    STDMETHODIMP GetBandInfo(DWORD bandId, DWORD viewMode, DESKBANDINFO* info) override;
    // IPersist, IPersistStream
    STDMETHODIMP GetClassID(CLSID* clsid) override;
    STDMETHODIMP IsDirty() override;
    STDMETHODIMP Load(IStream* stream) override;
    STDMETHODIMP Save(IStream* stream, BOOL clearDirty) override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;
    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override;
    STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;
    // IObjectWithSite
    STDMETHODIMP SetSite(IUnknown* site) override;
    STDMETHODIMP GetSite(REFIID iid, void** site) override;
    // IInputObject
    STDMETHODIMP UIActivateIO(BOOL activate, MSG* message) override;
    STDMETHODIMP HasFocusIO() override;
    STDMETHODIMP TranslateAcceleratorIO(MSG* message) override;
    // IIEBar
    STDMETHODIMP Init() override;
    STDMETHODIMP get_test(VARIANT* value) override;
    STDMETHODIMP put_test(VARIANT value) override;

    // What the script runtime reports, for the form's list and buttons.
    void OnScriptletAttached(const std::wstring& label) override;
    void OnScriptletDetached(const std::wstring& label) override;
    void OnLocationsCollected() override;
    // The form's focus went into or out of the band.
    void NotifyFocusChange(bool gained) noexcept override;
    // The form's window is gone, whatever destroyed it.
    void OnFormDestroyed() noexcept override;

    // Creates the form in the band window once; true when its window exists.
    bool RegisterAndCreateWindow() noexcept;

    [[nodiscard]] CConfigWSC2* Form() const noexcept { return form_; }

private:
    [[nodiscard]] HWND FormWindow() const noexcept;
    // Destroys the form's window, if there is one, and lets go of the current-bar slot.
    void CloseForm() noexcept;
    // Clears the current-bar slot only where this bar holds it.
    void LeaveCurrentBar() noexcept;

    CConfigWSC2* form_ = nullptr;  // deletes itself with its window, and tells us
    HWND parentWindow_ = nullptr;
    com::ComPtr<IInputObjectSite> inputSite_;
    com::ConnectionPoint events_;  // for _IIEBarEvents; nothing is ever fired
};

// The object map's instance creator: a plain or an aggregated bar.
HRESULT CreateIEBar(IUnknown* outer, REFIID iid, void** out) noexcept;

}  // namespace pelmora
