#include "framework/ui/FileErrorBox.h"

#include "framework/ui/MessageBoxes.h"
#include "framework/win/SystemErrorText.h"

namespace pelmora::ui {

std::wstring FileErrorBoxText(const std::wstring& path, DWORD error, const std::wstring& fallback) {
    std::wstring description = win::SystemErrorText(error);
    return path + L"\n" + (description.empty() ? fallback : description);
}

void ShowFileErrorBox(const std::wstring& path, DWORD error, const std::wstring& fallback,
                      const std::wstring& caption) noexcept {
    try {
        ShowMessageBox(::GetActiveWindow(), FileErrorBoxText(path, error, fallback), caption,
                       MB_OK | MB_ICONEXCLAMATION);
    } catch (...) {
    }
}

}  // namespace pelmora::ui
