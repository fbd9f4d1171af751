#include "bandhost/TourScript.h"

#include <algorithm>
#include <cwctype>

#include "framework/win/SystemErrorText.h"
#include "framework/win/UniqueHandle.h"

namespace pelmora::bandhost {

namespace {

constexpr int kMaxWaitMs = 600000;
constexpr int kMaxControlId = 0xFFFF;

enum class Argument { kNone, kText, kWordAndText, kTwoPaths, kUrlAndUrls, kId, kIdAndText, kMilliseconds, kListBoxId, kKey, kChoice };

struct CommandSpec {
    const wchar_t* name;
    TourAction action;
    Argument argument;
    const wchar_t* choices = nullptr;  // kChoice: the words, '|' between them; number = index
};

constexpr CommandSpec kCommands[] = {
    {L"navigate", TourAction::kNavigate, Argument::kText},
    {L"frames", TourAction::kFrames, Argument::kUrlAndUrls},
    {L"not-html", TourAction::kNotHtml, Argument::kText},
    {L"back", TourAction::kBack, Argument::kNone},
    {L"check", TourAction::kCheck, Argument::kIdAndText},
    {L"uncheck", TourAction::kUncheck, Argument::kIdAndText},
    {L"select", TourAction::kSelect, Argument::kIdAndText},
    {L"double-click", TourAction::kDoubleClick, Argument::kIdAndText},
    {L"click", TourAction::kClick, Argument::kId},
    {L"key", TourAction::kKey, Argument::kKey},
    {L"save-script", TourAction::kSaveScript, Argument::kWordAndText},
    {L"move-script", TourAction::kMoveScript, Argument::kTwoPaths},
    {L"toggle-band", TourAction::kToggleBand, Argument::kNone},
    {L"wait", TourAction::kWait, Argument::kMilliseconds},
    {L"screenshot", TourAction::kScreenshot, Argument::kText},
    {L"list-box", TourAction::kListBox, Argument::kListBoxId},
    {L"expect-attached", TourAction::kExpectAttached, Argument::kText},
    {L"expect-not-attached", TourAction::kExpectNotAttached, Argument::kText},
    {L"expect-transcript", TourAction::kExpectTranscript, Argument::kText},
    {L"expect-file", TourAction::kExpectFile, Argument::kText},
    {L"dialog", TourAction::kDialog, Argument::kText},
    {L"type", TourAction::kType, Argument::kIdAndText},
    {L"keys", TourAction::kKeys, Argument::kIdAndText},
    {L"press", TourAction::kPress, Argument::kText},
    {L"quit", TourAction::kQuit, Argument::kNone},
    {L"close-band", TourAction::kCloseBand, Argument::kChoice, L"browser|window-first|no-closedw"},
    {L"open-band", TourAction::kOpenBand, Argument::kNone},
    {L"focus-answer", TourAction::kFocusAnswer, Argument::kChoice, L"none|activate"},
    {L"delete-script", TourAction::kDeleteScript, Argument::kText},
    {L"make-folder", TourAction::kMakeFolder, Argument::kText},
};

std::wstring Trimmed(const std::wstring& text) {
    size_t start = 0;
    size_t end = text.size();
    while (start < end && std::iswspace(text[start])) ++start;
    while (end > start && std::iswspace(text[end - 1])) --end;
    return text.substr(start, end - start);
}

// The first word and the rest, trimmed.
void SplitWord(const std::wstring& text, std::wstring& word, std::wstring& rest) {
    size_t end = 0;
    while (end < text.size() && !std::iswspace(text[end])) ++end;
    word = text.substr(0, end);
    rest = Trimmed(text.substr(end));
}

struct NamedControl {
    const wchar_t* name;
    int id;
};

constexpr NamedControl kProductControls[] = {
#include "ProductControlIds.inc"
};

bool ParseNumber(const std::wstring& text, int maximum, int& value) {
    if (text.empty() || text.size() > 9) return false;
    int number = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9') return false;
        number = number * 10 + (c - L'0');
    }
    if (number > maximum) return false;
    value = number;
    return true;
}

// A control's number, or its name in the product's resource header.
bool ParseControlId(const std::wstring& text, int& value) {
    if (const int named = ProductControlId(text)) {
        value = named;
        return true;
    }
    return ParseNumber(text, kMaxControlId, value);
}

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

bool ParseArguments(const CommandSpec& command, const std::wstring& rest, TourStep& step, std::wstring& why) {
    const std::wstring name = std::wstring(L"\"") + command.name + L"\"";
    switch (command.argument) {
    case Argument::kNone:
        if (!rest.empty()) why = name + L" takes nothing after it";
        break;
    case Argument::kText:
        if (rest.empty()) why = name + L" needs a text after it";
        step.text = rest;
        break;
    case Argument::kWordAndText:
    case Argument::kTwoPaths: {
        std::wstring word;
        SplitWord(rest, word, step.text);
        if (!step.text.empty()) {
            step.words.push_back(word);
        } else {
            why = name + (command.argument == Argument::kTwoPaths
                              ? L" needs a path below the script location and the path to move it to"
                              : L" needs a path below the script location and a file after it");
        }
        break;
    }
    case Argument::kUrlAndUrls: {
        std::wstring word;
        std::wstring remaining = rest;
        while (!remaining.empty()) {
            SplitWord(remaining, word, remaining);
            if (step.text.empty()) step.text = word;
            else step.words.push_back(word);
        }
        if (step.words.empty()) why = name + L" needs a page's URL and at least one frame's URL after it";
        break;
    }
    case Argument::kId: {
        if (!ParseControlId(rest, step.number) || step.number == 0)
            why = name + L" needs a control id from 1 to 65535, not \"" + rest + L"\"";
        break;
    }
    case Argument::kIdAndText: {
        std::wstring id;
        SplitWord(rest, id, step.text);
        const bool typing = command.action == TourAction::kType || command.action == TourAction::kKeys;
        if (!ParseControlId(id, step.number) || step.number == 0) {
            why = name + (typing ? L" needs a control id" : L" needs a tree's control id") +
                  L" from 1 to 65535 first, not \"" + id + L"\"";
        } else if (step.text.empty()) {
            why = name + (typing ? L" needs the text to type after the control's id"
                                 : L" needs the item's path after the tree's id");
        }
        break;
    }
    case Argument::kMilliseconds:
        if (!ParseNumber(rest, kMaxWaitMs, step.number))
            why = name + L" needs milliseconds from 0 to 600000, not \"" + rest + L"\"";
        break;
    case Argument::kListBoxId:
        if (!ParseControlId(rest, step.number))
            why = name + L" needs a control id from 0 to 65535, not \"" + rest + L"\"";
        break;
    case Argument::kKey:
        if (!ParseKey(rest, step.key)) why = name + L" does not know the key \"" + rest + L"\"";
        break;
    case Argument::kChoice: {
        const std::wstring choices = command.choices;
        const std::wstring word = Lower(rest);
        int index = 0;
        bool found = false;
        for (size_t start = 0; start <= choices.size() && !found; ++index) {
            const size_t bar = std::min(choices.find(L'|', start), choices.size());
            found = choices.compare(start, bar - start, word) == 0;
            if (found) step.number = index;
            start = bar + 1;
        }
        if (!found) why = name + L" needs one of " + choices + L", not \"" + rest + L"\"";
        break;
    }
    }
    return why.empty();
}

}  // namespace

int ProductControlId(const std::wstring& name) {
    for (const NamedControl& control : kProductControls)
        if (name == control.name) return control.id;
    return 0;
}

bool ParseKey(const std::wstring& name, TourKey& key) {
    TourKey parsed;
    std::wstring rest = Trimmed(name);
    for (;;) {
        const std::wstring lower = Lower(rest);
        if (lower.rfind(L"shift+", 0) == 0) {
            parsed.shift = true;
            rest = rest.substr(6);
        } else if (lower.rfind(L"ctrl+", 0) == 0) {
            parsed.control = true;
            rest = rest.substr(5);
        } else if (lower.rfind(L"alt+", 0) == 0) {
            parsed.alt = true;
            rest = rest.substr(4);
        } else {
            break;
        }
    }
    if (rest.size() == 1 && std::iswalnum(rest[0]) && rest[0] < 0x80) {
        parsed.virtualKey = static_cast<WORD>(std::towupper(rest[0]));
        key = parsed;
        return true;
    }
    static const struct {
        const wchar_t* name;
        WORD key;
    } kNames[] = {{L"space", VK_SPACE},   {L"tab", VK_TAB},         {L"enter", VK_RETURN},  {L"return", VK_RETURN},
                  {L"escape", VK_ESCAPE}, {L"esc", VK_ESCAPE},      {L"up", VK_UP},         {L"down", VK_DOWN},
                  {L"left", VK_LEFT},     {L"right", VK_RIGHT},     {L"home", VK_HOME},     {L"end", VK_END},
                  {L"pageup", VK_PRIOR},  {L"pagedown", VK_NEXT},   {L"insert", VK_INSERT}, {L"delete", VK_DELETE},
                  {L"backspace", VK_BACK}};
    const std::wstring lower = Lower(rest);
    for (const auto& entry : kNames) {
        if (lower == entry.name) {
            parsed.virtualKey = entry.key;
            key = parsed;
            return true;
        }
    }
    int function = 0;
    if (lower.size() >= 2 && lower[0] == L'f' && ParseNumber(lower.substr(1), 12, function) && function >= 1) {
        parsed.virtualKey = static_cast<WORD>(VK_F1 + function - 1);
        key = parsed;
        return true;
    }
    return false;
}

bool ParseTour(const std::wstring& text, std::vector<TourStep>& steps, std::wstring& error) {
    std::vector<TourStep> parsed;
    int lineNumber = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        ++lineNumber;
        const std::wstring line = Trimmed(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == L'#') continue;
        std::wstring word;
        std::wstring rest;
        SplitWord(line, word, rest);
        const CommandSpec* command = nullptr;
        for (const CommandSpec& candidate : kCommands)
            if (word == candidate.name) command = &candidate;
        const std::wstring where = L"line " + std::to_wstring(lineNumber) + L": ";
        if (!command) {
            error = where + L"unknown command \"" + word + L"\"";
            steps.clear();
            return false;
        }
        TourStep step;
        step.line = lineNumber;
        step.action = command->action;
        step.source = line;
        std::wstring why;
        if (!ParseArguments(*command, rest, step, why)) {
            error = where + why;
            steps.clear();
            return false;
        }
        parsed.push_back(step);
    }
    steps = std::move(parsed);
    return true;
}

bool ReadTextFile(const std::wstring& path, std::wstring& text, std::wstring& error) {
    const win::UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.get(), &size)) {
        error = L"cannot read " + path + L": " + win::SystemErrorText(::GetLastError());
        return false;
    }
    if (size.QuadPart > 16 * 1024 * 1024) {
        error = path + L" is too large for a tour";
        return false;
    }
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() && !::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
        error = L"cannot read " + path + L": " + win::SystemErrorText(::GetLastError());
        return false;
    }
    bytes.resize(read);
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) bytes.erase(0, 3);
    if (bytes.empty()) {
        text.clear();
        return true;
    }
    UINT codePage = CP_UTF8;
    int length = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                                       nullptr, 0);
    if (length <= 0) {
        codePage = CP_ACP;
        length = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    }
    std::wstring decoded(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    ::MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), decoded.data(), length);
    text = std::move(decoded);
    return true;
}

}  // namespace pelmora::bandhost
