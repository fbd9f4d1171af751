#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "library/ExpectedScriptFile.h"
#include "framework/ui/ApplicationBase.h"
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
    EXPECT_EQ(test::ScriptTemplateBytes(), bytes);

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

TEST(ScriptResources, SaveFailureTextIsInTheStringTable) {
    wchar_t text[64] = {};
    ASSERT_GT(::LoadStringW(ui::CurrentModuleInstance(), IDS_FAILED_TO_SAVE_FILE, text, 64), 0);
    EXPECT_STREQ(L"Failed to save file", text);
    EXPECT_EQ(102, IDS_FAILED_TO_SAVE_FILE);
}

}  // namespace
}  // namespace pelmora
