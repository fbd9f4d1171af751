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
    // Each box is answered with answer, as its user would.
    explicit MessageBoxRecorder(int answer = IDOK) {
        Answer() = answer;
        previous_ = ui::SetMessageBoxPresenter(&Record);
    }
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
    static int& Answer() {
        static int answer = IDOK;
        return answer;
    }
    static int Record(HWND, const wchar_t* text, const wchar_t* caption, UINT type) {
        Boxes().push_back({text ? text : L"", caption ? caption : L"", type});
        return Answer();
    }

    ui::MessageBoxPresenter previous_ = nullptr;
};

}  // namespace pelmora::test
