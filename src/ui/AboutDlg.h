#pragma once
// The About box: product name and version, on two lines, and an OK button. One object
// per modal run.
#include <windows.h>

#include <string>

#include "framework/ui/Dialog.h"

namespace pelmora {

class CAboutDlg final : public ui::Dialog {
public:
    // Builds the about text: "Pelmora Tool", a line feed, "Version: " and the file
    // version of this module's version resource.
    CAboutDlg();
    ~CAboutDlg() override;

    [[nodiscard]] const std::wstring& AboutText() const noexcept { return aboutText_; }

private:
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    std::wstring aboutText_;
};

}  // namespace pelmora
