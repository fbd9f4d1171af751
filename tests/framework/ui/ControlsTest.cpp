// The thin control helpers on the real list box, buttons and static text of a form,
// each driven with its messages and read back.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "framework/ui/ApplicationBase.h"
#include "framework/ui/Button.h"
#include "framework/ui/FormView.h"
#include "framework/ui/ListBox.h"
#include "framework/ui/StaticText.h"
#include "resources/resource.h"

namespace pelmora::ui {
namespace {

// A shown form on template 104 that records the WM_COMMAND ids it gets.
class CommandForm final : public FormView {
public:
    explicit CommandForm(std::vector<int>& commands)
        : FormView(CurrentModuleInstance(), IDD_CONFIGWSC2), commands_(commands) {}

private:
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM, LRESULT&) override {
        if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) commands_.push_back(LOWORD(wParam));
        return message == WM_COMMAND;
    }
    std::vector<int>& commands_;
};

TEST(Controls, ListBoxButtonsAndStaticTextDoWhatTheirMessagesSay) {
    std::vector<int> commands;
    const HWND host = ::CreateWindowExW(0, L"Static", L"", WS_POPUP | WS_VISIBLE, 0, 0, 600, 800, nullptr, nullptr,
                                        nullptr, nullptr);
    auto* form = new CommandForm(commands);
    ASSERT_TRUE(form->Create(host, RECT{0, 0, 600, 800}, 104, WS_CHILD | WS_VISIBLE));
    const HWND dialog = form->Handle();

    const ListBox list(dialog, IDC_LIST_ATTACHED_WSC);
    EXPECT_EQ(list.AddString(L"{B}two.WSC"), 0);
    EXPECT_EQ(list.AddString(L"{A}one.WSC"), 1) << "an unsorted list appends";
    EXPECT_EQ(list.AddString(L"{a}One.WSC and more"), 2);
    EXPECT_EQ(list.AddString(L"{B}two.WSC"), 3) << "equal entries are both kept";
    EXPECT_EQ(list.InsertString(0, L"first"), 0);
    EXPECT_EQ(list.GetCount(), 5);
    EXPECT_EQ(list.GetText(2), L"{A}one.WSC");
    EXPECT_EQ(list.GetText(5), L"");
    struct Case {
        const wchar_t* prefix;
        int after, found;
    };
    const Case cases[] = {{L"{a}ONE", -1, 2}, {L"{a}one", 2, 3}, {L"{b}", 3, 4},
                          {L"FIRST", 2, 0} /* wraps round */, {L"{C}", -1, -1}, {L"{A}one.WSC and more!", -1, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
        EXPECT_EQ(list.FindStringPrefix(c.prefix, c.after), c.found);
    }
    EXPECT_EQ(list.DeleteString(1), 4) << "entries left";
    EXPECT_EQ(list.GetText(1), L"{A}one.WSC");
    EXPECT_EQ(list.DeleteString(9), -1);
    list.SetHorizontalExtent(900);
    EXPECT_EQ(list.GetHorizontalExtent(), 900);
    for (int i = 0; i < 40; ++i) list.AddString(L"entry " + std::to_wstring(i));
    EXPECT_TRUE(list.SetTopIndex(30));
    EXPECT_GT(list.GetTopIndex(), 0);
    list.ResetContent();
    EXPECT_EQ(list.GetCount(), 0);

    const Button button(dialog, IDC_BUTTON_NEW_IE_WSC);
    EXPECT_EQ(button.Id(), IDC_BUTTON_NEW_IE_WSC);
    EXPECT_EQ(button.GetText(), L"New");
    EXPECT_TRUE(button.IsEnabled() && button.IsVisible());
    button.Click();
    button.Enable(false);
    EXPECT_FALSE(button.IsEnabled());
    button.Click();
    EXPECT_EQ(commands, std::vector<int>{IDC_BUTTON_NEW_IE_WSC}) << "one click, and none while disabled";
    const Button help(dialog, IDC_BUTTON_HELP);
    help.SetDefaultLook(true);
    EXPECT_TRUE(::GetWindowLongPtrW(help.Handle(), GWL_STYLE) & BS_DEFPUSHBUTTON);
    help.Focus();
    EXPECT_TRUE(help.HasFocus() && !button.HasFocus());

    const StaticText owner(dialog, IDC_STATIC_URL_WSC_OWNER);
    EXPECT_EQ(owner.GetText(), L"");
    const std::wstring text = L"for \"..." + std::wstring(40, L'k') + L"\"";
    EXPECT_TRUE(owner.SetText(text));
    EXPECT_EQ(owner.GetText(), text);
    EXPECT_FALSE(Control(dialog, 9999)) << "no such control";
    ::DestroyWindow(host);
}

}  // namespace
}  // namespace pelmora::ui
