#include <gtest/gtest.h>

#include <windows.h>

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

}  // namespace
}  // namespace pelmora::ui
