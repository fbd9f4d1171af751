#include "ui/AboutDlg.h"

#include "framework/ui/ApplicationBase.h"
#include "framework/ui/ModuleVersion.h"
#include "framework/ui/ResourceString.h"
#include "framework/ui/StaticText.h"
#include "resources/resource.h"

namespace pelmora {

CAboutDlg::CAboutDlg()
    : ui::Dialog(ui::CurrentModuleInstance(), IDD_ABOUTBOX),
      aboutText_(ui::LoadResourceString(ui::CurrentModuleInstance(), IDS_ABOUT_TEXT) +
                 ui::ModuleFileVersion(ui::CurrentModuleInstance())) {}

CAboutDlg::~CAboutDlg() = default;

bool CAboutDlg::HandleMessage(UINT message, WPARAM, LPARAM, LRESULT&) {
    // The text goes in when the dialog initialises; the dialog manager then sets the
    // focus on the OK button.
    if (message == WM_INITDIALOG) ui::StaticText(Handle(), IDC_STATIC_ABOUT_TEXT).SetText(aboutText_);
    return false;
}

}  // namespace pelmora
