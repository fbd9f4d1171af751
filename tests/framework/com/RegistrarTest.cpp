// The registrar against a key of the test's own: HKCU\Software\PelmoraRegistrarTest,
// removed before and after every test. Scripts reach it through "NoRemove Software",
// so nothing else under HKCU\Software can be touched.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "RegistryTree.h"
#include "TestSupport.h"
#include "framework/com/Registrar.h"

namespace pelmora::com {
namespace {

using test::CreateRegistryKey;
using test::DumpRegistryTree;
using test::RegistryKeyExists;

constexpr wchar_t kTestKey[] = L"Software\\PelmoraRegistrarTest";

std::wstring TestKeyPath(const std::wstring& below) { return std::wstring(kTestKey) + L"\\" + below; }

// keys placed directly below HKCU\Software.
std::wstring UnderSoftware(const std::wstring& keys) {
    return L"HKCU\r\n{\r\n\tNoRemove Software\r\n\t{\r\n" + keys + L"\r\n\t}\r\n}\r\n";
}

// keys placed inside the test key, which itself is never removed by the script.
std::wstring InTestKey(const std::wstring& keys) {
    return UnderSoftware(L"\t\tNoRemove PelmoraRegistrarTest\r\n\t\t{\r\n" + keys + L"\r\n\t\t}");
}

class RegistrarTest : public ::testing::Test {
protected:
    HRESULT Register(const std::wstring& script) { return registrar_.RunScript(script, true); }
    HRESULT Unregister(const std::wstring& script) { return registrar_.RunScript(script, false); }
    std::wstring Tree() const { return DumpRegistryTree(HKEY_CURRENT_USER, kTestKey); }
    std::wstring Tree(const std::wstring& below) const { return DumpRegistryTree(HKEY_CURRENT_USER, TestKeyPath(below)); }

    test::ScopedRegistryKey key_{HKEY_CURRENT_USER, kTestKey};
    Registrar registrar_;
};

// ---------------------------------------------------------------------------------
// What registration writes

TEST_F(RegistrarTest, RegisterCreatesNestedKeysWithTheirDefaultValues) {
    const std::wstring script = LR"(
HKEY_CURRENT_USER
{
    NoRemove Software
    {
        PelmoraRegistrarTest = s 'Top'
        {
            Child
            {
                Grandchild = s ''
            }
            'Second Child' = s 'two words'
        }
    }
})";
    ASSERT_HRESULT_SUCCEEDED(Register(script));
    const std::wstring expected =
        L"[]\n"
        L"  @ = REG_SZ \"Top\\0\"\n"
        L"[Child]\n"
        L"[Child\\Grandchild]\n"
        L"  @ = REG_SZ \"\\0\"\n"
        L"[Second Child]\n"
        L"  @ = REG_SZ \"two words\\0\"\n";
    EXPECT_EQ(Tree(), expected);

    // Running it again rewrites the same keys and adds nothing.
    ASSERT_HRESULT_SUCCEEDED(Register(script));
    EXPECT_EQ(Tree(), expected);
}

TEST_F(RegistrarTest, ValuesGetExactTypesAndBytes) {
    ASSERT_HRESULT_SUCCEEDED(Register(UnderSoftware(LR"(
        PelmoraRegistrarTest
        {
            val Text = s 'plain text'
            val EmptyText = s ''
            val Expand = e '%%SystemRoot%%\x'
            val Decimal = d '1234'
            val Leading = d '010'
            val Zero = d '0'
            val Hex = d '0x1F'
            val HexUpper = d '0XaB'
            val Largest = d '4294967295'
            val LargestHex = d '0xFFFFFFFF'
            val Bytes = b '00ff7A10'
            val NoBytes = b ''
        })")));
    EXPECT_EQ(Tree(),
              L"[]\n"
              L"  Bytes = REG_BINARY 00 ff 7a 10\n"
              L"  Decimal = REG_DWORD d2 04 00 00\n"
              L"  EmptyText = REG_SZ \"\\0\"\n"
              L"  Expand = REG_EXPAND_SZ \"%SystemRoot%\\x\\0\"\n"
              L"  Hex = REG_DWORD 1f 00 00 00\n"
              L"  HexUpper = REG_DWORD ab 00 00 00\n"
              L"  Largest = REG_DWORD ff ff ff ff\n"
              L"  LargestHex = REG_DWORD ff ff ff ff\n"
              L"  Leading = REG_DWORD 0a 00 00 00\n"
              L"  NoBytes = REG_BINARY \n"
              L"  Text = REG_SZ \"plain text\\0\"\n"
              L"  Zero = REG_DWORD 00 00 00 00\n");
}

TEST_F(RegistrarTest, DoubledQuoteInsideQuotedNamesAndValuesIsOneQuote) {
    ASSERT_HRESULT_SUCCEEDED(Register(UnderSoftware(LR"(
        PelmoraRegistrarTest
        {
            'it''s a key' = s 'a''b'
            {
                val 'v''1' = s ''''
            }
        })")));
    EXPECT_EQ(Tree(),
              L"[]\n"
              L"[it's a key]\n"
              L"  @ = REG_SZ \"a'b\\0\"\n"
              L"  v'1 = REG_SZ \"'\\0\"\n");
}

TEST_F(RegistrarTest, QuotedKeyWordsAreOrdinaryNames) {
    ASSERT_HRESULT_SUCCEEDED(Register(UnderSoftware(LR"(
        PelmoraRegistrarTest
        {
            'ForceRemove'
            'Delete'
            'val'
        })")));
    EXPECT_EQ(Tree(), L"[]\n[Delete]\n[ForceRemove]\n[val]\n");
}

// ---------------------------------------------------------------------------------
// Replacements

TEST_F(RegistrarTest, ReplacementsAreSubstitutedAndDoublePercentIsOnePercent) {
    ASSERT_HRESULT_SUCCEEDED(registrar_.AddReplacement(L"MODULE", L"C:\\dir\\x.dll"));
    ASSERT_HRESULT_SUCCEEDED(registrar_.AddReplacement(L"Words", L"two words"));
    // A replacement value is text: the names and percent signs in it are not replaced again.
    ASSERT_HRESULT_SUCCEEDED(registrar_.AddReplacement(L"Literal", L"%MODULE%%%"));
    ASSERT_HRESULT_SUCCEEDED(Register(UnderSoftware(LR"(
        PelmoraRegistrarTest = s '%MODULE%'
        {
            val Percent = s '100%% of %module%'
            val Literal = s '%LITERAL%'
            %Words%
            'x%%y'
        })")));
    EXPECT_EQ(Tree(),
              L"[]\n"
              L"  @ = REG_SZ \"C:\\dir\\x.dll\\0\"\n"
              L"  Literal = REG_SZ \"%MODULE%%%\\0\"\n"
              L"  Percent = REG_SZ \"100% of C:\\dir\\x.dll\\0\"\n"
              L"[two words]\n"
              L"[x%y]\n");
}

TEST_F(RegistrarTest, ReplacementWithoutANameIsRefused) {
    EXPECT_EQ(registrar_.AddReplacement(L"", L"value"), E_INVALIDARG);
}

TEST_F(RegistrarTest, ReplacementValueWithQuotesAndBracesStaysText) {
    const std::wstring path = L"C:\\it's' } } } HKCU { NoRemove Software { Injected } } '";
    const std::wstring name = L"x' } Injected { '";
    ASSERT_HRESULT_SUCCEEDED(registrar_.AddReplacement(L"MODULE", path));
    ASSERT_HRESULT_SUCCEEDED(registrar_.AddReplacement(L"NAME", name));
    ASSERT_HRESULT_SUCCEEDED(Register(UnderSoftware(LR"(
        PelmoraRegistrarTest = s '%MODULE%'
        {
            %NAME%
            '%NAME%2'
        })")));
    EXPECT_EQ(Tree(),
              L"[]\n"
              L"  @ = REG_SZ \"C:\\it's' } } } HKCU { NoRemove Software { Injected } } '\\0\"\n"
              L"[x' } Injected { ']\n"
              L"[x' } Injected { '2]\n");
    EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, L"Software\\Injected"));
}

TEST_F(RegistrarTest, ReplacementThatSpellsScriptSyntaxStaysAKeyName) {
    // A replacement is data: a value that happens to read "ForceRemove" or "}" must not
    // turn into a key mode (which would wipe "Victim") or close a block.
    ASSERT_TRUE(CreateRegistryKey(HKEY_CURRENT_USER, TestKeyPath(L"Victim\\Sentinel"), L"Kept", L"yes"));
    ASSERT_HRESULT_SUCCEEDED(registrar_.AddReplacement(L"Word", L"ForceRemove"));
    ASSERT_HRESULT_SUCCEEDED(registrar_.AddReplacement(L"Brace", L"}"));
    ASSERT_HRESULT_SUCCEEDED(Register(InTestKey(LR"(
            %Word% Victim
            %Brace%)")));
    EXPECT_EQ(Tree(),
              L"[]\n"
              L"[ForceRemove]\n"
              L"[Victim]\n"
              L"[Victim\\Sentinel]\n"
              L"  Kept = REG_SZ \"yes\\0\"\n"
              L"[}]\n");
}

// ---------------------------------------------------------------------------------
// Key modes

TEST_F(RegistrarTest, ForceRemoveReplacesOldContentOnRegisterAndDeletesTheKeyOnUnregister) {
    ASSERT_TRUE(CreateRegistryKey(HKEY_CURRENT_USER, TestKeyPath(L"Forced\\Old\\Older"), L"Deep", L"old"));
    ASSERT_TRUE(CreateRegistryKey(HKEY_CURRENT_USER, TestKeyPath(L"Forced"), L"OldValue", L"old"));
    const std::wstring script = InTestKey(LR"(
            ForceRemove Forced = s 'new'
            {
                val Number = d '7'
                Fresh
            })");

    ASSERT_HRESULT_SUCCEEDED(Register(script));
    EXPECT_EQ(Tree(L"Forced"),
              L"[]\n"
              L"  @ = REG_SZ \"new\\0\"\n"
              L"  Number = REG_DWORD 07 00 00 00\n"
              L"[Fresh]\n");

    // Unregistering takes the key with whatever was added below it since.
    ASSERT_TRUE(CreateRegistryKey(HKEY_CURRENT_USER, TestKeyPath(L"Forced\\AddedLater\\Deep"), L"Other", L"x"));
    ASSERT_HRESULT_SUCCEEDED(Unregister(script));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, TestKeyPath(L"Forced")));
    EXPECT_TRUE(RegistryKeyExists(HKEY_CURRENT_USER, kTestKey));
}

TEST_F(RegistrarTest, NoRemoveKeyStaysOnUnregisterEvenWhenEmpty) {
    const std::wstring script = InTestKey(LR"(
            NoRemove Kept
            {
                Inner
            })");
    ASSERT_HRESULT_SUCCEEDED(Register(script));
    ASSERT_TRUE(RegistryKeyExists(HKEY_CURRENT_USER, TestKeyPath(L"Kept\\Inner")));

    ASSERT_HRESULT_SUCCEEDED(Unregister(script));
    EXPECT_EQ(Tree(), L"[]\n[Kept]\n");
}

TEST_F(RegistrarTest, DeleteKeyGoesOnRegisterAndStaysOnUnregister) {
    ASSERT_TRUE(CreateRegistryKey(HKEY_CURRENT_USER, TestKeyPath(L"Gone\\Sub"), L"Value", L"cached"));
    const std::wstring script = InTestKey(L"Delete Gone");

    ASSERT_HRESULT_SUCCEEDED(Register(script));
    EXPECT_EQ(Tree(), L"[]\n");
    // Deleting what is already gone is not a failure.
    ASSERT_HRESULT_SUCCEEDED(Register(script));

    ASSERT_TRUE(CreateRegistryKey(HKEY_CURRENT_USER, TestKeyPath(L"Gone\\Sub"), L"Value", L"cached"));
    const std::wstring before = Tree();
    ASSERT_HRESULT_SUCCEEDED(Unregister(script));
    EXPECT_EQ(Tree(), before);
}

TEST_F(RegistrarTest, UnregisterRemovesPlainKeysItEmptiedDeepestFirst) {
    const std::wstring script = UnderSoftware(LR"(
        PelmoraRegistrarTest = s 'top'
        {
            Parent
            {
                Child = s 'c'
                {
                    val A = s 'a'
                    val B = d '2'
                }
            }
        })");
    ASSERT_HRESULT_SUCCEEDED(Register(script));
    ASSERT_TRUE(RegistryKeyExists(HKEY_CURRENT_USER, TestKeyPath(L"Parent\\Child")));

    ASSERT_HRESULT_SUCCEEDED(Unregister(script));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, kTestKey));
    EXPECT_TRUE(RegistryKeyExists(HKEY_CURRENT_USER, L"Software"));
}

TEST_F(RegistrarTest, UnregisterKeepsPlainKeyWithAValueOfSomeoneElse) {
    const std::wstring script = InTestKey(LR"(
            Shared
            {
                val Ours = s 'a'
            })");
    ASSERT_HRESULT_SUCCEEDED(Register(script));
    ASSERT_TRUE(CreateRegistryKey(HKEY_CURRENT_USER, TestKeyPath(L"Shared"), L"Theirs", L"b"));

    ASSERT_HRESULT_SUCCEEDED(Unregister(script));
    EXPECT_EQ(Tree(L"Shared"), L"[]\n  Theirs = REG_SZ \"b\\0\"\n");
}

TEST_F(RegistrarTest, UnregisterKeepsPlainKeyWithASubkeyOfSomeoneElse) {
    const std::wstring script = InTestKey(LR"(
            Parent
            {
                Child
            })");
    ASSERT_HRESULT_SUCCEEDED(Register(script));
    ASSERT_TRUE(CreateRegistryKey(HKEY_CURRENT_USER, TestKeyPath(L"Parent\\Theirs")));

    ASSERT_HRESULT_SUCCEEDED(Unregister(script));
    EXPECT_EQ(Tree(), L"[]\n[Parent]\n[Parent\\Theirs]\n");
}

TEST_F(RegistrarTest, UnregisterOfAbsentKeysSucceedsAndCreatesNothing) {
    const std::wstring script = UnderSoftware(LR"(
        PelmoraRegistrarTest
        {
            ForceRemove Forced { val A = s 'a' }
            NoRemove Kept { val B = s 'b' Inner }
            Delete Gone
            Plain = s 'p' { val C = d '3' }
        })");
    ASSERT_HRESULT_SUCCEEDED(Unregister(script));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, kTestKey));
}

// ---------------------------------------------------------------------------------
// Faulty scripts

struct MalformedCase {
    const char* fault;
    std::wstring script;
};

// A script whose first root would empty the test key and create "Fresh" in it (and on
// unregister would delete the test key), followed by the faulty part. A registrar that
// acted before it had read the whole script would leave a trace.
std::wstring AfterAnEffectiveRoot(const std::wstring& faultyPart) {
    return UnderSoftware(L"ForceRemove PelmoraRegistrarTest { Fresh }") + faultyPart;
}

std::wstring KeysAfterAnEffectiveRoot(const std::wstring& faultyKeys) {
    return AfterAnEffectiveRoot(InTestKey(faultyKeys));
}

std::wstring Nested(int levels) {
    std::wstring text;
    for (int i = 0; i < levels; ++i) text += L"k { ";
    for (int i = 0; i < levels; ++i) text += L"} ";
    return text;
}

std::vector<MalformedCase> MalformedCases() {
    const std::wstring nul(1, L'\0');
    return {
        {"unknown root key", AfterAnEffectiveRoot(L"HKEY_NOWHERE { }")},
        {"root key without a block", AfterAnEffectiveRoot(L"HKCU")},
        {"text after the last root", AfterAnEffectiveRoot(L"trailing")},
        {"missing closing brace", L"HKCU { NoRemove Software { ForceRemove PelmoraRegistrarTest { Fresh } "},
        {"unterminated quote", KeysAfterAnEffectiveRoot(L"'Fresh")},
        {"unknown value type", KeysAfterAnEffectiveRoot(L"val X = q 'x'")},
        {"value type in quotes", KeysAfterAnEffectiveRoot(L"val X = 's' 'x'")},
        {"value data without quotes", KeysAfterAnEffectiveRoot(L"val X = s x")},
        {"value without '='", KeysAfterAnEffectiveRoot(L"val X s 'x'")},
        {"value without data", KeysAfterAnEffectiveRoot(L"val X = s")},
        {"key with '=' and no value", KeysAfterAnEffectiveRoot(L"Key =")},
        {"stray '='", KeysAfterAnEffectiveRoot(L"= s 'x'")},
        {"dword with letters", KeysAfterAnEffectiveRoot(L"val X = d 'x12'")},
        {"dword with trailing letters", KeysAfterAnEffectiveRoot(L"val X = d '12x'")},
        {"dword with a blank", KeysAfterAnEffectiveRoot(L"val X = d ' 1'")},
        {"empty dword", KeysAfterAnEffectiveRoot(L"val X = d ''")},
        {"hex prefix without digits", KeysAfterAnEffectiveRoot(L"val X = d '0x'")},
        {"negative dword", KeysAfterAnEffectiveRoot(L"val X = d '-1'")},
        {"dword one above the largest", KeysAfterAnEffectiveRoot(L"val X = d '4294967296'")},
        {"hex dword with nine digits", KeysAfterAnEffectiveRoot(L"val X = d '0x100000000'")},
        {"binary with an odd digit count", KeysAfterAnEffectiveRoot(L"val X = b '123'")},
        {"binary with non-hex digits", KeysAfterAnEffectiveRoot(L"val X = b 'zz'")},
        {"binary with a blank", KeysAfterAnEffectiveRoot(L"val X = b '0 1'")},
        {"binary with a hex prefix", KeysAfterAnEffectiveRoot(L"val X = b '0x12'")},
        {"unknown replacement in a value", KeysAfterAnEffectiveRoot(L"val X = s '%NOPE%'")},
        {"unknown replacement in a key name", KeysAfterAnEffectiveRoot(L"%NOPE%")},
        {"unterminated replacement", KeysAfterAnEffectiveRoot(L"val X = s '%MODULE'")},
        {"empty key name", KeysAfterAnEffectiveRoot(L"''")},
        {"empty key name after ForceRemove", KeysAfterAnEffectiveRoot(L"ForceRemove ''")},
        {"key name emptied by a replacement", KeysAfterAnEffectiveRoot(L"ForceRemove %EMPTY%")},
        {"key mode without a name", KeysAfterAnEffectiveRoot(L"ForceRemove")},
        {"NUL in a key name", KeysAfterAnEffectiveRoot(L"ForceRemove '" + nul + L"'")},
        {"NUL in a value name", KeysAfterAnEffectiveRoot(L"val 'a" + nul + L"b' = s 'x'")},
        {"'val' directly under a root key", AfterAnEffectiveRoot(L"HKCU { val X = s 'x' }")},
        {"nesting deeper than the limit",
         KeysAfterAnEffectiveRoot(Nested(kMaxRegistrationScriptDepth + 1))},
    };
}

TEST_F(RegistrarTest, MalformedScriptFailsAndChangesNothing) {
    ASSERT_HRESULT_SUCCEEDED(registrar_.AddReplacement(L"MODULE", L"C:\\x.dll"));
    ASSERT_HRESULT_SUCCEEDED(registrar_.AddReplacement(L"EMPTY", L""));
    for (const MalformedCase& malformed : MalformedCases()) {
        SCOPED_TRACE(malformed.fault);
        // Fresh content for each case, so one fault shows once.
        ::RegDeleteTreeW(HKEY_CURRENT_USER, kTestKey);
        ::RegDeleteKeyW(HKEY_CURRENT_USER, kTestKey);
        ASSERT_TRUE(CreateRegistryKey(HKEY_CURRENT_USER, TestKeyPath(L"Existing\\Sub"), L"Value", L"kept"));
        const std::wstring before = Tree();

        const HRESULT registered = Register(malformed.script);
        EXPECT_TRUE(FAILED(registered)) << std::hex << registered;
        EXPECT_EQ(Tree(), before);
        const HRESULT unregistered = Unregister(malformed.script);
        EXPECT_TRUE(FAILED(unregistered)) << std::hex << unregistered;
        EXPECT_EQ(Tree(), before);
    }
}

TEST_F(RegistrarTest, NulInAKeyNameCannotEmptyTheParentKey) {
    // Handed to the registry, the name would read as "" and address the parent itself.
    ASSERT_TRUE(CreateRegistryKey(HKEY_CURRENT_USER, TestKeyPath(L"Sentinel"), L"Value", L"kept"));
    const std::wstring before = Tree();
    const std::wstring script = InTestKey(L"ForceRemove '" + std::wstring(1, L'\0') + L"'");
    EXPECT_TRUE(FAILED(Register(script)));
    EXPECT_TRUE(FAILED(Unregister(script)));
    EXPECT_EQ(Tree(), before);
}

TEST_F(RegistrarTest, ScriptResourceThatDoesNotExistFails) {
    const HMODULE program = ::GetModuleHandleW(nullptr);
    const HRESULT missingId = registrar_.ResourceScript(program, 0x7ABC, L"REGISTRY", true);
    EXPECT_TRUE(FAILED(missingId)) << std::hex << missingId;
    const HRESULT missingType = registrar_.ResourceScript(program, 0x7ABC, L"NO_SUCH_TYPE", false);
    EXPECT_TRUE(FAILED(missingType)) << std::hex << missingType;
}

}  // namespace
}  // namespace pelmora::com
