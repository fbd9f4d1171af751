#pragma once
// Helpers of the UI tests: message pumping with deadlines and real pointer input.
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>

namespace pelmora::test {

using Clock = std::chrono::steady_clock;

inline void DispatchOne(MSG& message) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
}

// Handles what is queued now, without waiting for anything new.
inline void PumpPending() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchOne(message);
}

// Pumps until done() holds or the time is up; answers done() at the end.
inline bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 3000) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        PumpPending();
        if (done()) return true;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return done();
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left > 50 ? 50 : left), QS_ALLINPUT);
    }
}

inline void PumpFor(int ms) {
    PumpUntil([] { return false; }, ms);
}

// Moves the real pointer, as the user's mouse would, and lets the messages arrive.
inline bool MovePointerTo(POINT screenPoint) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    const int width = ::GetSystemMetrics(SM_CXSCREEN);
    const int height = ::GetSystemMetrics(SM_CYSCREEN);
    input.mi.dx = static_cast<LONG>((screenPoint.x * 65536 + width - 1) / width);
    input.mi.dy = static_cast<LONG>((screenPoint.y * 65536 + height - 1) / height);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    if (::SendInput(1, &input, sizeof(input)) != 1) return false;
    return PumpUntil([&] {
        POINT now{};
        return ::GetCursorPos(&now) && now.x == screenPoint.x && now.y == screenPoint.y;
    });
}

inline bool ClickLeftButton() {
    INPUT inputs[2]{};
    inputs[0].type = inputs[1].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    return ::SendInput(2, inputs, sizeof(INPUT)) == 2;
}

inline bool PressKey(WORD virtualKey) {
    INPUT inputs[2]{};
    inputs[0].type = inputs[1].type = INPUT_KEYBOARD;
    inputs[0].ki.wVk = inputs[1].ki.wVk = virtualKey;
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    return ::SendInput(2, inputs, sizeof(INPUT)) == 2;
}

inline std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

inline POINT CentreOf(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

}  // namespace pelmora::test
