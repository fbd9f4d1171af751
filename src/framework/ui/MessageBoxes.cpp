#include "framework/ui/MessageBoxes.h"

#include <atomic>

namespace pelmora::ui {

namespace {

int SystemMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type) {
    return ::MessageBoxW(owner, text, caption, type);
}

std::atomic<MessageBoxPresenter> g_presenter{&SystemMessageBox};

}  // namespace

int ShowMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) noexcept {
    return g_presenter.load()(owner, text.c_str(), caption.c_str(), type);
}

MessageBoxPresenter SetMessageBoxPresenter(MessageBoxPresenter presenter) noexcept {
    return g_presenter.exchange(presenter ? presenter : &SystemMessageBox);
}

}  // namespace pelmora::ui
