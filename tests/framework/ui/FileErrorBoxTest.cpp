#include <gtest/gtest.h>

#include <windows.h>

#include "MessageBoxRecorder.h"
#include "framework/ui/FileErrorBox.h"

namespace pelmora::ui {
namespace {

TEST(FileErrorBox, NamesTheFileThenTheSystemsDescriptionOfTheError) {
    const std::wstring text = FileErrorBoxText(L"c:\\scripts\\a.WSC", ERROR_ACCESS_DENIED, L"Failed to save file");
    const std::wstring head = L"c:\\scripts\\a.WSC\n";
    ASSERT_GT(text.size(), head.size());
    EXPECT_EQ(head, text.substr(0, head.size()));
    EXPECT_EQ(std::wstring::npos, text.find(L"Failed to save file"));
    EXPECT_NE(L'\n', text.back());
    EXPECT_NE(L'\r', text.back());
}

TEST(FileErrorBox, FallsBackToTheGivenTextForAnErrorWithoutDescription) {
    const DWORD undescribed = 0x2000ABCD;  // customer bit set: never a system message
    EXPECT_EQ(L"c:\\a.WSC\nFailed to save file", FileErrorBoxText(L"c:\\a.WSC", undescribed, L"Failed to save file"));
}

TEST(FileErrorBox, IsAnOkBoxWithTheCallersCaption) {
    test::MessageBoxRecorder boxes;
    ShowFileErrorBox(L"c:\\a.WSC", 0x2000ABCD, L"Failed to save file", L"Pelmora");
    ASSERT_EQ(1u, boxes.boxes().size());
    EXPECT_EQ(L"c:\\a.WSC\nFailed to save file", boxes.boxes()[0].text);
    EXPECT_EQ(L"Pelmora", boxes.boxes()[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION), boxes.boxes()[0].type);
}

}  // namespace
}  // namespace pelmora::ui
