#include <gtest/gtest.h>

#include "core/SplitAtFirst.h"

namespace pelmora {
namespace {

TEST(SplitAtFirst, SplitsAtTheFirstSeparatorOnly) {
    EXPECT_EQ(SplitAtFirst(L"a\\b\\c", L'\\'), std::make_pair(std::wstring(L"a"), std::wstring(L"b\\c")));
    EXPECT_EQ(SplitAtFirst(L"h/a/b", L'/'), std::make_pair(std::wstring(L"h"), std::wstring(L"a/b")));
}

TEST(SplitAtFirst, TextWithoutSeparatorIsAllHead) {
    EXPECT_EQ(SplitAtFirst(L"abc", L'\\'), std::make_pair(std::wstring(L"abc"), std::wstring()));
}

TEST(SplitAtFirst, LeadingSeparatorGivesEmptyHead) {
    EXPECT_EQ(SplitAtFirst(L"\\abc", L'\\'), std::make_pair(std::wstring(), std::wstring(L"abc")));
    EXPECT_EQ(SplitAtFirst(L"abc\\", L'\\'), std::make_pair(std::wstring(L"abc"), std::wstring()));
}

TEST(SplitAtFirst, EmptyTextGivesTwoEmptyParts) {
    EXPECT_EQ(SplitAtFirst(L"", L'\\'), std::make_pair(std::wstring(), std::wstring()));
}

}  // namespace
}  // namespace pelmora
