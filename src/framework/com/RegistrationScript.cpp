#include "framework/com/RegistrationScript.h"

#include <new>
#include <optional>

#include "framework/win/HResult.h"

namespace pelmora::com {

bool ReplacementNameLess::operator()(const std::wstring& a, const std::wstring& b) const noexcept {
    return ::_wcsicmp(a.c_str(), b.c_str()) < 0;
}

namespace {

struct Token {
    std::wstring text;
    bool quoted = false;
    // Text that came from a replacement value is data: it never reads as a brace, '=',
    // a key mode or a value type, whatever it spells.
    bool replaced = false;

    [[nodiscard]] bool IsSyntax() const { return !quoted && !replaced; }
    [[nodiscard]] bool Is(const wchar_t* word) const { return IsSyntax() && text == word; }
    [[nodiscard]] bool IsWordNoCase(const wchar_t* word) const {
        return IsSyntax() && ::_wcsicmp(text.c_str(), word) == 0;
    }
};

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

class Parser {
public:
    Parser(std::wstring_view text, const RegistrationReplacements& replacements)
        : text_(text), replacements_(replacements) {}

    HRESULT ParseRoots(std::vector<RegistryRootSpec>& roots) {
        for (;;) {
            std::optional<Token> token;
            PELMORA_RETURN_IF_FAILED(Next(token));
            if (!token) return S_OK;
            RegistryRootSpec root;
            root.root = RootKey(*token);
            if (!root.root) return kRegistrationScriptSyntaxError;
            PELMORA_RETURN_IF_FAILED(Expect(L"{"));
            PELMORA_RETURN_IF_FAILED(ParseKeyList(root.keys, nullptr, 1));
            roots.push_back(std::move(root));
        }
    }

private:
    static HKEY RootKey(const Token& token) {
        struct Name {
            const wchar_t* shortName;
            const wchar_t* longName;
            HKEY key;
        };
        static const Name names[] = {
            {L"HKCR", L"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
            {L"HKCU", L"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
            {L"HKLM", L"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
            {L"HKU", L"HKEY_USERS", HKEY_USERS},
        };
        for (const Name& name : names) {
            if (token.IsWordNoCase(name.shortName) || token.IsWordNoCase(name.longName)) return name.key;
        }
        return nullptr;
    }

    // Keys until the closing brace. owner receives 'val' entries; it is null at the
    // top level under a root key, where values have no key to go to.
    HRESULT ParseKeyList(std::vector<RegistryKeySpec>& keys, RegistryKeySpec* owner, int depth) {
        if (depth > kMaxRegistrationScriptDepth) return kRegistrationScriptSyntaxError;
        for (;;) {
            std::optional<Token> token;
            PELMORA_RETURN_IF_FAILED(Next(token));
            if (!token) return kRegistrationScriptSyntaxError;  // unclosed brace
            if (token->Is(L"}")) return S_OK;
            if (token->IsWordNoCase(L"val")) {
                if (!owner) return kRegistrationScriptSyntaxError;
                PELMORA_RETURN_IF_FAILED(ParseNamedValue(*owner));
                continue;
            }
            RegistryKeySpec key;
            PELMORA_RETURN_IF_FAILED(ParseKey(std::move(*token), key, depth));
            keys.push_back(std::move(key));
        }
    }

    HRESULT ParseKey(Token token, RegistryKeySpec& key, int depth) {
        if (token.IsWordNoCase(L"ForceRemove")) key.mode = RegistryKeyMode::ForceRemove;
        else if (token.IsWordNoCase(L"NoRemove")) key.mode = RegistryKeyMode::NoRemove;
        else if (token.IsWordNoCase(L"Delete")) key.mode = RegistryKeyMode::Delete;
        if (key.mode != RegistryKeyMode::Plain) {
            std::optional<Token> name;
            PELMORA_RETURN_IF_FAILED(Next(name));
            if (!name) return kRegistrationScriptSyntaxError;
            token = std::move(*name);
        }
        PELMORA_RETURN_IF_FAILED(CheckKeyName(token));
        key.name = std::move(token.text);

        bool isAssignment = false;
        PELMORA_RETURN_IF_FAILED(PeekIs(L"=", isAssignment));
        if (isAssignment) {
            Skip();
            RegistryValueSpec value;  // the default value has no name
            PELMORA_RETURN_IF_FAILED(ParseTypedValue(value));
            key.values.push_back(std::move(value));
        }
        bool hasBody = false;
        PELMORA_RETURN_IF_FAILED(PeekIs(L"{", hasBody));
        if (hasBody) {
            Skip();
            PELMORA_RETURN_IF_FAILED(ParseKeyList(key.subkeys, &key, depth + 1));
        }
        return S_OK;
    }

    // An empty name would address the parent key itself (and ForceRemove would wipe
    // it); a brace or '=' in name position means the script is out of step.
    static HRESULT CheckKeyName(const Token& token) {
        if (token.text.empty()) return kRegistrationScriptSyntaxError;
        if (token.Is(L"{") || token.Is(L"}") || token.Is(L"=")) return kRegistrationScriptSyntaxError;
        return S_OK;
    }

    HRESULT ParseNamedValue(RegistryKeySpec& owner) {
        std::optional<Token> name;
        PELMORA_RETURN_IF_FAILED(Next(name));
        if (!name || name->Is(L"{") || name->Is(L"}") || name->Is(L"=")) return kRegistrationScriptSyntaxError;
        PELMORA_RETURN_IF_FAILED(Expect(L"="));
        RegistryValueSpec value;
        value.name = std::move(name->text);
        PELMORA_RETURN_IF_FAILED(ParseTypedValue(value));
        owner.values.push_back(std::move(value));
        return S_OK;
    }

    HRESULT ParseTypedValue(RegistryValueSpec& value) {
        std::optional<Token> type;
        PELMORA_RETURN_IF_FAILED(Next(type));
        if (!type || type->quoted) return kRegistrationScriptSyntaxError;
        std::optional<Token> data;
        PELMORA_RETURN_IF_FAILED(Next(data));
        if (!data || !data->quoted) return kRegistrationScriptSyntaxError;
        if (type->IsWordNoCase(L"s")) return StringData(REG_SZ, data->text, value);
        if (type->IsWordNoCase(L"e")) return StringData(REG_EXPAND_SZ, data->text, value);
        if (type->IsWordNoCase(L"d")) return DwordData(data->text, value);
        if (type->IsWordNoCase(L"b")) return BinaryData(data->text, value);
        return kRegistrationScriptSyntaxError;
    }

    static HRESULT StringData(DWORD type, const std::wstring& text, RegistryValueSpec& value) {
        value.type = type;
        const auto* bytes = reinterpret_cast<const BYTE*>(text.c_str());
        value.data.assign(bytes, bytes + (text.size() + 1) * sizeof(wchar_t));
        return S_OK;
    }

    static HRESULT DwordData(const std::wstring& text, RegistryValueSpec& value) {
        unsigned long long number = 0;
        size_t start = 0;
        unsigned base = 10;
        if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
            start = 2;
            base = 16;
        }
        if (start >= text.size()) return kRegistrationScriptSyntaxError;
        for (size_t i = start; i < text.size(); ++i) {
            const int digit = DigitValue(text[i]);
            if (digit < 0 || static_cast<unsigned>(digit) >= base) return kRegistrationScriptSyntaxError;
            number = number * base + static_cast<unsigned>(digit);
            if (number > 0xFFFFFFFFull) return kRegistrationScriptSyntaxError;
        }
        const DWORD dword = static_cast<DWORD>(number);
        value.type = REG_DWORD;
        const auto* bytes = reinterpret_cast<const BYTE*>(&dword);
        value.data.assign(bytes, bytes + sizeof(dword));
        return S_OK;
    }

    static HRESULT BinaryData(const std::wstring& text, RegistryValueSpec& value) {
        if (text.size() % 2 != 0) return kRegistrationScriptSyntaxError;
        value.type = REG_BINARY;
        value.data.clear();
        for (size_t i = 0; i < text.size(); i += 2) {
            const int high = DigitValue(text[i]);
            const int low = DigitValue(text[i + 1]);
            if (high < 0 || high > 15 || low < 0 || low > 15) return kRegistrationScriptSyntaxError;
            value.data.push_back(static_cast<BYTE>(high * 16 + low));
        }
        return S_OK;
    }

    static int DigitValue(wchar_t c) {
        if (c >= L'0' && c <= L'9') return c - L'0';
        if (c >= L'a' && c <= L'f') return c - L'a' + 10;
        if (c >= L'A' && c <= L'F') return c - L'A' + 10;
        return -1;
    }

    HRESULT Expect(const wchar_t* word) {
        std::optional<Token> token;
        PELMORA_RETURN_IF_FAILED(Next(token));
        return token && token->Is(word) ? S_OK : kRegistrationScriptSyntaxError;
    }

    HRESULT PeekIs(const wchar_t* word, bool& is) {
        const size_t saved = position_;
        std::optional<Token> token;
        const HRESULT hr = Next(token);
        position_ = saved;
        if (FAILED(hr)) return hr;
        is = token && token->Is(word);
        return S_OK;
    }

    void Skip() {
        std::optional<Token> ignored;
        (void)Next(ignored);
    }

    // The next whitespace-separated token, or a quoted text; none at the end.
    HRESULT Next(std::optional<Token>& token) {
        token.reset();
        while (position_ < text_.size() && IsBlank(text_[position_])) ++position_;
        if (position_ >= text_.size()) return S_OK;
        Token result;
        if (text_[position_] == L'\'') {
            result.quoted = true;
            ++position_;
            for (;;) {
                if (position_ >= text_.size()) return kRegistrationScriptSyntaxError;  // unterminated
                const wchar_t c = text_[position_++];
                if (c == L'\'') {
                    if (position_ < text_.size() && text_[position_] == L'\'') {
                        result.text += L'\'';
                        ++position_;
                        continue;
                    }
                    break;
                }
                result.text += c;
            }
        } else {
            const size_t start = position_;
            while (position_ < text_.size() && !IsBlank(text_[position_])) ++position_;
            result.text.assign(text_.substr(start, position_ - start));
        }
        PELMORA_RETURN_IF_FAILED(Replace(result.text, result.replaced));
        // The registry reads a name only up to a NUL: a key name "\0..." would address
        // the parent key itself, and ForceRemove would empty it.
        if (result.text.find(L'\0') != std::wstring::npos) return kRegistrationScriptSyntaxError;
        token = std::move(result);
        return S_OK;
    }

    // Replacing inside the token, after it was cut out, keeps a value such as a path
    // with a quote in it from changing the script's structure.
    HRESULT Replace(std::wstring& text, bool& replaced) const {
        if (text.find(L'%') == std::wstring::npos) return S_OK;
        std::wstring result;
        size_t i = 0;
        while (i < text.size()) {
            if (text[i] != L'%') {
                result += text[i++];
                continue;
            }
            const size_t close = text.find(L'%', i + 1);
            if (close == std::wstring::npos) return kRegistrationScriptSyntaxError;
            const std::wstring name = text.substr(i + 1, close - i - 1);
            if (name.empty()) {
                result += L'%';
            } else {
                const auto found = replacements_.find(name);
                if (found == replacements_.end()) return kRegistrationScriptSyntaxError;
                result += found->second;
                replaced = true;
            }
            i = close + 1;
        }
        text = std::move(result);
        return S_OK;
    }

    std::wstring_view text_;
    size_t position_ = 0;
    const RegistrationReplacements& replacements_;
};

}  // namespace

HRESULT ParseRegistrationScript(std::wstring_view text, const RegistrationReplacements& replacements,
                                std::vector<RegistryRootSpec>& roots) noexcept {
    try {
        std::vector<RegistryRootSpec> parsed;
        Parser parser(text, replacements);
        const HRESULT hr = parser.ParseRoots(parsed);
        if (FAILED(hr)) return hr;
        roots = std::move(parsed);
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

}  // namespace pelmora::com
