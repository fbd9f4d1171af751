#pragma once
// The application object of a DLL: initialised by the DLL entry after static
// construction, and told to exit at process detach.
#include <windows.h>

namespace pelmora::ui {

class ApplicationBase {
public:
    ApplicationBase() noexcept;
    virtual ~ApplicationBase() = default;
    ApplicationBase(const ApplicationBase&) = delete;
    ApplicationBase& operator=(const ApplicationBase&) = delete;

    // False makes the DLL fail to load.
    virtual bool InitInstance() noexcept { return true; }
    virtual int ExitInstance() noexcept { return 0; }

    // The module whose resources the application uses: the DLL, or the test program
    // the same code is linked into.
    [[nodiscard]] HINSTANCE Instance() const noexcept { return instance_; }

private:
    HINSTANCE instance_;
};

// The module this code is linked into.
HINSTANCE CurrentModuleInstance() noexcept;

}  // namespace pelmora::ui
