#pragma once
// The application object: home of the location and log-mask operations, the current
// bar (kept in the runtime's slot) and the shared autocomplete list (kept in the user
// interface's slot, where its dialogs find it).
#include <string>

#include "framework/com/ComPtr.h"
#include "framework/ui/ApplicationBase.h"
#include "framework/win/UniqueHandle.h"
#include "runtime/BarNotifications.h"
#include "ui/PropBag.h"

namespace pelmora {

class CPelmoraApp final : public ui::ApplicationBase {
public:
    CPelmoraApp() noexcept = default;
    ~CPelmoraApp() override;

    bool InitInstance() noexcept override;
    // Lets go of the current bar, the event type information and the autocomplete list
    // while the logger still exists.
    int ExitInstance() noexcept override;
    // The process is ending and other DLLs may be gone already: forgets what
    // ExitInstance would let go of, releasing nothing and freeing no library, so that
    // the static objects' destructors have nothing left to call.
    void AbandonAtProcessExit() noexcept;

    DWORD GetLogMask() noexcept;
    std::wstring GetScriptLocation();
    std::wstring GetMainScriptDirectory();
    std::wstring GetUrlScriptDirectory();
    void EnsureDirectory(const std::wstring& path);
    std::wstring GetSpecialFolderPath(int csidl, bool create);
    // The log file in the script location, which this may create and record; empty when
    // the location cannot be had.
    std::wstring GetLogPath() noexcept;

    // The bar whose window was created last; none clears it.
    void SetCurrentBar(IBarNotifications* bar) noexcept;
    // Clears the current bar of any thread that has this one, and no other.
    void ClearCurrentBar(IBarNotifications* bar) noexcept;
    // The current bar with a reference for the caller, or none.
    com::ComPtr<IBarNotifications> GetCurrentBar() const noexcept;

    // One autocomplete list for the process, made on first request; a reference for
    // the caller, or none when it cannot be made.
    com::ComPtr<CPropBag> GetSharedPropertyBag() noexcept;

private:
    win::UniqueModule commonControls_;
};

CPelmoraApp& GetPelmoraApp() noexcept;

}  // namespace pelmora
