#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "Golden.h"
#include "framework/ui/ApplicationBase.h"
#include "framework/ui/ResourceString.h"
#include "resources/resource.h"

namespace pelmora {
namespace {

std::string TemplateResourceBytes() {
    const HMODULE module = ui::CurrentModuleInstance();
    HRSRC resource = ::FindResourceExW(module, L"WSC_TEMPLATE", MAKEINTRESOURCEW(IDR_WSC_TEMPLATE),
                                       MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    if (!resource) return {};
    HGLOBAL loaded = ::LoadResource(module, resource);
    const char* bytes = static_cast<const char*>(::LockResource(loaded));
    return bytes ? std::string(bytes, ::SizeofResource(module, resource)) : std::string();
}

TEST(ScriptResources, TemplateIsTheTwentyTwoCrLfLinesInEnglishUsAndNothingElse) {
    const std::string bytes = TemplateResourceBytes();
    ASSERT_EQ(482u, bytes.size());
    EXPECT_TRUE(test::MatchesGolden("script-template.WSC", bytes));

    size_t lines = 0;
    for (size_t at = 0; at < bytes.size(); ++at) {
        if (bytes[at] == '\n') {
            ++lines;
            EXPECT_TRUE(at > 0 && bytes[at - 1] == '\r') << "bare line feed at " << at;
        }
        EXPECT_NE('\0', bytes[at]) << "zero byte at " << at;
    }
    EXPECT_EQ(22u, lines);
    EXPECT_EQ("\r\n", bytes.substr(bytes.size() - 2));
}

// One block of the string table, its entries by id, onto the dump.
BOOL CALLBACK DumpStringBlock(HMODULE module, LPCWSTR, LPWSTR block, LONG_PTR dump) {
    const UINT first = (static_cast<UINT>(reinterpret_cast<ULONG_PTR>(block)) - 1) * 16;  // 16 to a block
    for (UINT id = first; id < first + 16; ++id) {
        const std::wstring text = ui::LoadResourceString(module, id);
        if (!text.empty()) *reinterpret_cast<std::string*>(dump) += std::to_string(id) + " " + test::GoldenText(text) + "\n";
    }
    return TRUE;
}

// The string table: the save failure's text and the form's hover texts, by id.
TEST(ScriptResources, StringTableIsTheGoldenOne) {
    std::string dump;
    ::EnumResourceNamesW(ui::CurrentModuleInstance(), RT_STRING, DumpStringBlock, reinterpret_cast<LONG_PTR>(&dump));
    EXPECT_TRUE(test::MatchesGolden("string-table.txt", dump));
}

}  // namespace
}  // namespace pelmora
