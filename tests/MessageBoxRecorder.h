#pragma once
// Records the message boxes code under test would show, instead of running a modal
// loop that nobody would ever end under Xvfb. One recorder at a time.
#include <windows.h>

#include <string>
#include <vector>

#include "framework/ui/MessageBoxes.h"

namespace pelmora::test {

struct RecordedMessageBox {
    std::wstring text;
    std::wstring caption;
    UINT type = 0;
};

class MessageBoxRecorder {
public:
    MessageBoxRecorder() { previous_ = ui::SetMessageBoxPresenter(&Record); }
    ~MessageBoxRecorder() {
        ui::SetMessageBoxPresenter(previous_);
        Boxes().clear();
    }
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    [[nodiscard]] const std::vector<RecordedMessageBox>& boxes() const { return Boxes(); }

private:
    static std::vector<RecordedMessageBox>& Boxes() {
        static std::vector<RecordedMessageBox> boxes;
        return boxes;
    }
    static int Record(HWND, const wchar_t* text, const wchar_t* caption, UINT type) {
        Boxes().push_back({text ? text : L"", caption ? caption : L"", type});
        return IDOK;
    }

    ui::MessageBoxPresenter previous_ = nullptr;
};

}  // namespace pelmora::test
