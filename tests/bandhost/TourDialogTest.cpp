// Tours that answer the dialogs a band opens: a panel in the fake band asks for a name
// in a dialog of its own, then asks "Delete scripts" in a message box and deletes a
// file through the shell, which asks too. The tour finds each dialog by its caption,
// types into it and presses its buttons by id and by text; dialogs it does not wait
// for are cancelled by the host as before.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "bandhost/HostFixture.h"
#include "bandhost/ListBoxWatch.h"
#include "bandhost/TourRunner.h"
#include "bandhost/TourScript.h"
#include "framework/ui/Window.h"
#include "framework/ui/WindowClass.h"

namespace pelmora::test {
namespace {

constexpr int kAskButtonId = 230, kNameEditId = 100;

// A dialog template in memory: caption "Name it", an edit box and OK and Cancel.
class NameDialogTemplate {
public:
    NameDialogTemplate() {
        Align();
        Add(DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU, 0);
        Word(3);  // items
        Word(0), Word(0), Word(160), Word(60);
        Word(0), Word(0);  // no menu, default class
        Text(L"Name it");
        Word(8);
        Text(L"MS Shell Dlg");
        Item(WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 7, 7, 146, 14, kNameEditId, 0x0081, L"");
        Item(WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 49, 35, 50, 14, IDOK, 0x0080, L"OK");
        Item(WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 103, 35, 50, 14, IDCANCEL, 0x0080, L"&Cancel");
    }
    [[nodiscard]] const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void Word(WORD value) { words_.push_back(value); }
    void Add(DWORD style, DWORD exStyle) {
        Word(LOWORD(style)), Word(HIWORD(style)), Word(LOWORD(exStyle)), Word(HIWORD(exStyle));
    }
    void Text(const std::wstring& text) {
        for (const wchar_t c : text) Word(static_cast<WORD>(c));
        Word(0);
    }
    void Align() {
        if (words_.size() % 2) Word(0);
    }
    void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD atom, const std::wstring& text) {
        Align();
        Add(style, 0);
        Word(static_cast<WORD>(x)), Word(static_cast<WORD>(y)), Word(static_cast<WORD>(cx)), Word(static_cast<WORD>(cy));
        Word(id);
        Word(0xFFFF), Word(atom);
        Text(text);
        Word(0);  // no creation data
    }
    std::vector<WORD> words_;
};

INT_PTR CALLBACK NameDialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        if (LOWORD(wParam) == IDOK) {
            wchar_t text[128] = {};
            ::GetDlgItemTextW(dialog, kNameEditId, text, 128);
            *reinterpret_cast<std::wstring*>(::GetWindowLongPtrW(dialog, DWLP_USER)) = text;
        }
        ::EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

// The band's "Ask" button and what it does, as a band's command would.
class AskPanel final : public ui::Window {
public:
    bool Open(HWND band, HWND list, std::wstring file) {
        list_ = list;
        file_ = std::move(file);
        static ui::WindowClass panelClass(L"PelmoraTourAskPanel", 0, ::LoadCursorW(nullptr, IDC_ARROW),
                                          ::GetSysColorBrush(COLOR_WINDOW));
        if (!Create(panelClass, WS_EX_CONTROLPARENT, L"", WS_CHILD | WS_VISIBLE, RECT{5, 310, 245, 340}, band))
            return false;
        return ::CreateWindowExW(0, WC_BUTTONW, L"Ask", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 0, 80,
                                 24, Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(kAskButtonId)), nullptr,
                                 nullptr) != nullptr;
    }

private:
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM, LRESULT& result) override {
        if (message != WM_COMMAND || LOWORD(wParam) != kAskButtonId || HIWORD(wParam) != BN_CLICKED) return false;
        std::wstring name;
        if (::DialogBoxIndirectParamW(nullptr, template_.get(), Handle(), &NameDialogProcedure,
                                      reinterpret_cast<LPARAM>(&name)) == IDOK) {
            Note(L"named " + name);
        }
        if (::MessageBoxW(Handle(), L"Delete the file?", L"Delete scripts", MB_YESNO) == IDYES) {
            std::wstring source = file_;
            source.push_back(L'\0');
            SHFILEOPSTRUCTW operation{};
            operation.hwnd = Handle();
            operation.wFunc = FO_DELETE;
            operation.pFrom = source.c_str();
            operation.fFlags = FOF_SIMPLEPROGRESS;
            (void)::SHFileOperationW(&operation);
        }
        Note(::GetFileAttributesW(file_.c_str()) == INVALID_FILE_ATTRIBUTES ? L"deleted" : L"kept");
        result = 0;
        return true;
    }
    void Note(const std::wstring& text) {
        ::SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }

    NameDialogTemplate template_;
    HWND list_ = nullptr;
    std::wstring file_;
};

using TourDialogTest = HostFixture;

TEST_F(TourDialogTest, TourAnswersTheBandsDialogsByCaptionAndTheRestAreCancelled) {
    const std::wstring file = folder / L"doomed.WSC";
    WriteFileBytes(file, "x");
    AskPanel panel;
    ASSERT_TRUE(panel.Open(band->window.Handle(), band->window.list, file));
    const std::wstring tour =
        L"click 230\n"                      // 1: the name, then the band's question, then the shell's
        L"dialog Name it\n"                 // 2
        L"type 100 first try\n"             // 3
        L"type 100 daily news\n"            // 4: replaces what was typed
        L"keys 100 -Ed!\n"                  // 5: keys at the caret, shifted ones too
        L"press Maybe\n"                    // 6: no such button
        L"press ok\n"                       // 7: by text, ignoring case
        L"dialog Delete scripts\n"          // 8
        L"expect-transcript dialog: \"Delete scripts\": Delete the file?\n"  // 9
        L"press 7\n"                        // 10: No, by id
        L"expect-attached named daily news-Ed!\n"  // 11
        L"expect-attached kept\n"           // 12
        L"click 230\n"                      // 13: nobody answers: the host cancels both
        L"expect-transcript dialog: \"Name it\"\n"  // 14
        L"click 230\n"                      // 15
        L"dialog Name it\n"                 // 16
        L"press Cancel\n"                   // 17: "&Cancel"
        L"dialog Delete scripts\n"          // 18
        L"press Yes\n"                      // 19
        L"dialog Confirm file deletion\n"   // 20: the shell's own question
        L"press Yes\n"                      // 21
        L"expect-attached deleted\n"        // 22
        L"type 100 too late\n";             // 23: the dialog is closed
    std::vector<bandhost::TourStep> steps;
    std::wstring error;
    ASSERT_TRUE(bandhost::ParseTour(tour, steps, error)) << error;
    bandhost::TourRunner runner(host, folder.path());
    EXPECT_EQ(2, runner.Run(steps));

    EXPECT_TRUE(TranscriptHas(L"failed: line 6: press Maybe: the dialog has no button \"Maybe\""));
    EXPECT_TRUE(TranscriptHas(L"failed: line 23: type 100 too late: the dialog the tour answered is closed"));
    const std::vector<std::wstring> entries = bandhost::ListBoxEntries(band->window.list);
    EXPECT_EQ(entries, (std::vector<std::wstring>{L"named daily news-Ed!", L"kept", L"kept", L"deleted"}));
    EXPECT_FALSE(FileExists(file));
    EXPECT_EQ(1, std::count(host.Transcript().Lines().begin(), host.Transcript().Lines().end(),
                            std::wstring(L"attached: named daily news-Ed!")));
}

TEST(TourScriptTest, DialogCommandsParseAndNeedTheirArguments) {
    std::vector<bandhost::TourStep> steps;
    std::wstring error;
    ASSERT_TRUE(bandhost::ParseTour(L"dialog Confirm file deletion\ntype 1001 a b \npress &Yes\npress 6\nkeys 226 al\n"
                                    L"expect-file {96A0A4E0-D062-11CF-94B6-00AA0060275C}\\daily.WSC\\a.example.WSC\n",
                                    steps, error))
        << error;
    ASSERT_EQ(6u, steps.size());
    EXPECT_EQ(bandhost::TourAction::kDialog, steps[0].action);
    EXPECT_EQ(L"Confirm file deletion", steps[0].text);
    EXPECT_EQ(bandhost::TourAction::kType, steps[1].action);
    EXPECT_EQ(1001, steps[1].number);
    EXPECT_EQ(L"a b", steps[1].text);
    EXPECT_EQ(bandhost::TourAction::kPress, steps[2].action);
    EXPECT_EQ(L"&Yes", steps[2].text);
    EXPECT_EQ(bandhost::TourAction::kKeys, steps[4].action);
    EXPECT_EQ(226, steps[4].number);
    EXPECT_EQ(L"al", steps[4].text);
    EXPECT_EQ(bandhost::TourAction::kExpectFile, steps[5].action);
    EXPECT_EQ(L"{96A0A4E0-D062-11CF-94B6-00AA0060275C}\\daily.WSC\\a.example.WSC", steps[5].text);
    struct Case {
        const wchar_t* line;
        const wchar_t* error;
    };
    const Case cases[] = {
        {L"dialog", L"line 1: \"dialog\" needs a text after it"},
        {L"press", L"line 1: \"press\" needs a text after it"},
        {L"type 100", L"line 1: \"type\" needs the text to type after the control's id"},
        {L"type x hello", L"line 1: \"type\" needs a control id from 1 to 65535 first, not \"x\""},
        {L"keys 226", L"line 1: \"keys\" needs the text to type after the control's id"},
        {L"expect-file", L"line 1: \"expect-file\" needs a text after it"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.line);
        EXPECT_FALSE(bandhost::ParseTour(c.line, steps, error));
        EXPECT_EQ(error, c.error);
    }
}

}  // namespace
}  // namespace pelmora::test
