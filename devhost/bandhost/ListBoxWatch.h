#pragma once
// Watches a list box of the band, such as the list of attached scripts: each string
// added or inserted and each one deleted is told as it happens, from inside the list
// box's own messages (a window subclass). A snapshot taken now and then would miss a
// script detached and attached again under the same label within one navigation.
// The subclass goes when the list box is destroyed or the watch ends.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace pelmora::bandhost {

class ListBoxWatch {
public:
    using Listener = std::function<void(bool added, const std::wstring& text)>;

    explicit ListBoxWatch(Listener listener) : listener_(std::move(listener)) {}
    ~ListBoxWatch() { Stop(); }
    ListBoxWatch(const ListBoxWatch&) = delete;
    ListBoxWatch& operator=(const ListBoxWatch&) = delete;

    // Watches listBox instead of the one watched so far; false when it cannot be
    // subclassed (another thread's window, or none).
    bool Watch(HWND listBox);
    void Stop();
    [[nodiscard]] HWND Watched() const noexcept { return listBox_; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                      DWORD_PTR self) noexcept;
    LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Tell(bool added, const std::wstring& text) noexcept;

    Listener listener_;
    HWND listBox_ = nullptr;
    bool deleting_ = false;
};

// The texts of a list box, top to bottom.
std::vector<std::wstring> ListBoxEntries(HWND listBox);
std::wstring ListBoxEntry(HWND listBox, int index);

}  // namespace pelmora::bandhost
