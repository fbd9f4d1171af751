// The registration script reader on its own: limits, and untrusted text of every kind.
// Nothing here touches the registry.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "framework/com/RegistrationScript.h"
#include "framework/win/Ansi.h"

namespace pelmora::com {
namespace {

RegistrationReplacements Replacements() {
    RegistrationReplacements replacements;
    replacements[L"MODULE"] = L"C:\\Program Files\\Pelmora\\Pelmora.dll";
    return replacements;
}

// n keys inside one another below a root; with the root's own block that is n + 1
// levels of braces.
std::wstring NestedKeys(int keys) {
    std::wstring text = L"HKCU { ";
    for (int i = 0; i < keys; ++i) text += L"k { ";
    for (int i = 0; i < keys; ++i) text += L"} ";
    return text + L"}";
}

int Depth(const RegistryKeySpec& key) {
    int deepest = 0;
    for (const RegistryKeySpec& subkey : key.subkeys) deepest = std::max(deepest, Depth(subkey));
    return deepest + 1;
}

TEST(RegistrationScript, NestingUpToTheLimitIsReadAndOneLevelMoreIsRefused) {
    std::vector<RegistryRootSpec> roots;
    ASSERT_HRESULT_SUCCEEDED(
        ParseRegistrationScript(NestedKeys(kMaxRegistrationScriptDepth - 1), Replacements(), roots));
    ASSERT_EQ(roots.size(), 1u);
    ASSERT_EQ(roots[0].keys.size(), 1u);
    EXPECT_EQ(Depth(roots[0].keys[0]), kMaxRegistrationScriptDepth - 1);

    roots.clear();
    EXPECT_EQ(ParseRegistrationScript(NestedKeys(kMaxRegistrationScriptDepth), Replacements(), roots),
              kRegistrationScriptSyntaxError);
    EXPECT_TRUE(roots.empty());
}

TEST(RegistrationScript, VeryDeepNestingIsRefusedWithoutExhaustingTheStack) {
    std::vector<RegistryRootSpec> roots;
    EXPECT_EQ(ParseRegistrationScript(NestedKeys(200000), Replacements(), roots), kRegistrationScriptSyntaxError);
    std::wstring openOnly = L"HKCU ";
    for (int i = 0; i < 200000; ++i) openOnly += L"{ k ";
    EXPECT_EQ(ParseRegistrationScript(openOnly, Replacements(), roots), kRegistrationScriptSyntaxError);
}

// ---------------------------------------------------------------------------------
// Random and damaged scripts

// What every script that reads successfully must satisfy before it reaches the
// registry: a key name is never empty and holds no NUL (either would address the parent
// key itself), values have one of the four types with data of the right shape, and the
// nesting stays within the limit.
// level: the brace level of the block the key stands in (a root's block is level 1).
void ExpectSafeKey(const RegistryKeySpec& key, int level, const std::wstring& script) {
    EXPECT_FALSE(key.name.empty()) << "script: " << ::testing::PrintToString(script);
    EXPECT_EQ(key.name.find(L'\0'), std::wstring::npos) << "script: " << ::testing::PrintToString(script);
    EXPECT_LE(level, kMaxRegistrationScriptDepth) << "script: " << ::testing::PrintToString(script);
    for (const RegistryValueSpec& value : key.values) {
        EXPECT_EQ(value.name.find(L'\0'), std::wstring::npos) << ::testing::PrintToString(script);
        switch (value.type) {
        case REG_SZ:
        case REG_EXPAND_SZ:
            EXPECT_TRUE(value.data.size() >= 2 && value.data.size() % 2 == 0 && value.data.end()[-1] == 0 &&
                        value.data.end()[-2] == 0)
                << ::testing::PrintToString(script);
            break;
        case REG_DWORD:
            EXPECT_EQ(value.data.size(), 4u) << ::testing::PrintToString(script);
            break;
        case REG_BINARY:
            break;
        default:
            ADD_FAILURE() << "value type " << value.type << " from " << ::testing::PrintToString(script);
        }
    }
    for (const RegistryKeySpec& subkey : key.subkeys) ExpectSafeKey(subkey, level + 1, script);
}

void ExpectSafeToApply(const std::vector<RegistryRootSpec>& roots, const std::wstring& script) {
    for (const RegistryRootSpec& root : roots) {
        EXPECT_TRUE(root.root == HKEY_CLASSES_ROOT || root.root == HKEY_CURRENT_USER ||
                    root.root == HKEY_LOCAL_MACHINE || root.root == HKEY_USERS);
        for (const RegistryKeySpec& key : root.keys) ExpectSafeKey(key, 1, script);
    }
}

// Parses one script; a failure must leave the caller's result as it was.
void ParseAndCheck(const std::wstring& script, int& accepted) {
    std::vector<RegistryRootSpec> roots(1);
    roots[0].root = HKEY_USERS;
    roots[0].keys.resize(1);
    roots[0].keys[0].name = L"untouched";
    const HRESULT hr = ParseRegistrationScript(script, Replacements(), roots);
    if (FAILED(hr)) {
        ASSERT_EQ(roots.size(), 1u) << ::testing::PrintToString(script);
        ASSERT_EQ(roots[0].keys.size(), 1u);
        EXPECT_EQ(roots[0].keys[0].name, L"untouched");
        return;
    }
    ++accepted;
    ExpectSafeToApply(roots, script);
}

const wchar_t* const kPieces[] = {
    L"HKCU", L"HKLM", L"hkey_classes_root", L"HKU", L"{", L"}", L"=", L"s", L"e", L"d", L"b", L"val",
    L"ForceRemove", L"NoRemove", L"Delete", L"'", L"''", L"'x'", L"'a b'", L"%", L"%%", L"%MODULE%", L"%NOPE%",
    L"0x1F", L"12", L"4294967296", L"zz", L"key", L"{00021493-0000-0000-C000-000000000046}",
};

std::wstring RandomScript(std::mt19937& random) {
    std::uniform_int_distribution<int> length(0, 40);
    std::uniform_int_distribution<size_t> piece(0, std::size(kPieces) - 1);
    std::uniform_int_distribution<int> choice(0, 19);
    std::uniform_int_distribution<int> anyUnit(0, 0xFFFF);
    std::wstring script;
    const int count = length(random);
    for (int i = 0; i < count; ++i) {
        switch (choice(random)) {
        case 0:
            script += static_cast<wchar_t>(anyUnit(random));  // NUL and lone surrogates included
            break;
        case 1:
            break;  // pieces run together
        case 2:
            script += L"\r\n";
            break;
        default:
            script += L' ';
            break;
        }
        script += kPieces[piece(random)];
    }
    return script;
}

TEST(RegistrationScript, RandomTextNeverCrashesAndIsEitherRefusedOrSafe) {
    std::mt19937 random(20240517);
    int accepted = 0;
    for (int i = 0; i < 3000; ++i) ParseAndCheck(RandomScript(random), accepted);

    // Raw bytes, as a damaged resource would hand them over.
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> length(0, 300);
    for (int i = 0; i < 2000; ++i) {
        std::string bytes(static_cast<size_t>(length(random)), '\0');
        for (char& c : bytes) c = static_cast<char>(byte(random));
        ParseAndCheck(win::AnsiToWide(bytes), accepted);
    }
    // Some random scripts are well formed; the checks above must have seen a few.
    EXPECT_GT(accepted, 0);
}

TEST(RegistrationScript, DamagedCopiesOfARealScriptNeverCrashAndAreEitherRefusedOrSafe) {
    const std::wstring original = LR"(HKCR
{
	NoRemove CLSID
	{
		ForceRemove {EC3B8349-CAB2-4E10-AF31-69E1BA5031A0} = s 'Pelmora'
		{
			InprocServer32 = s '%MODULE%'
			{
				val ThreadingModel = s 'Apartment'
			}
			'Implemented Categories'
			{
				{00021493-0000-0000-C000-000000000046}
			}
		}
	}
}
HKLM
{
	NoRemove Software
	{
		ForceRemove Bars = s 'Pelmora'
		{
			val BarSize = b '9301000000000000'
			val Count = d '0x10'
		}
	}
}
HKCU
{
	NoRemove Software
	{
		Delete Enum
	}
})";
    std::vector<RegistryRootSpec> roots;
    ASSERT_HRESULT_SUCCEEDED(ParseRegistrationScript(original, Replacements(), roots));

    std::mt19937 random(7);
    std::uniform_int_distribution<int> edits(1, 4);
    std::uniform_int_distribution<int> kind(0, 3);
    std::uniform_int_distribution<size_t> piece(0, std::size(kPieces) - 1);
    int accepted = 0;
    for (int i = 0; i < 3000; ++i) {
        std::wstring script = original;
        for (int e = edits(random); e > 0 && !script.empty(); --e) {
            std::uniform_int_distribution<size_t> at(0, script.size() - 1);
            const size_t position = at(random);
            std::uniform_int_distribution<size_t> span(1, std::min<size_t>(20, script.size() - position));
            switch (kind(random)) {
            case 0:
                script.erase(position, span(random));
                break;
            case 1:
                script.insert(position, script.substr(position, span(random)));
                break;
            case 2:
                script[position] = L"{}'=% \0"[random() % 7];
                break;
            default:
                script.insert(position, kPieces[piece(random)]);
                break;
            }
        }
        ParseAndCheck(script, accepted);
    }
    EXPECT_GT(accepted, 0);
}

}  // namespace
}  // namespace pelmora::com
