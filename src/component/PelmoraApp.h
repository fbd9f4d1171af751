#pragma once
// The application object: home of the location and log-mask operations, the current
// bar and the shared autocomplete list.
#include <string>

#include "component/BarNotifications.h"
#include "framework/com/ComPtr.h"
#include "framework/ui/ApplicationBase.h"
#include "framework/win/UniqueHandle.h"
#include "ui/PropBag.h"

namespace pelmora {

class CPelmoraApp final : public ui::ApplicationBase {
public:
    CPelmoraApp() noexcept = default;
    ~CPelmoraApp() override;

    bool InitInstance() noexcept override;
    int ExitInstance() noexcept override;

    DWORD GetLogMask() noexcept;
    std::wstring GetScriptLocation();
    std::wstring GetMainScriptDirectory();
    std::wstring GetUrlScriptDirectory();
    void EnsureDirectory(const std::wstring& path);
    std::wstring GetSpecialFolderPath(int csidl, bool create);

    // The bar whose window was created last; none clears it.
    void SetCurrentBar(IBarNotifications* bar) noexcept;
    // The current bar with a reference for the caller, or none.
    com::ComPtr<IBarNotifications> GetCurrentBar() const noexcept;

    // One autocomplete list for the process, made on first request; a reference for
    // the caller, or none when it cannot be made.
    com::ComPtr<CPropBag> GetSharedPropertyBag() noexcept;

private:
    com::ComPtr<IBarNotifications> currentBar_;
    com::ComPtr<CPropBag> sharedPropertyBag_;
    win::UniqueModule commonControls_;
};

CPelmoraApp& GetPelmoraApp() noexcept;

}  // namespace pelmora
