#include "bandhost/PageText.h"

#include <cwctype>
#include <vector>

#include "browser/WebBrowser.h"

namespace pelmora::bandhost {

namespace {

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

// Collects visible text: runs of blanks become one, and the breaks asked for between
// blocks are written only once text follows them.
class TextBuilder {
public:
    void Visible(wchar_t c) {
        Settle();
        text_ += c;
    }
    void Blank() {
        if (!text_.empty() && text_.back() != L'\n') blank_ = true;
    }
    void Literal(wchar_t c) {
        Settle();
        text_ += c;
    }
    void Break(int lines) {
        if (lines > breaks_) breaks_ = lines;
        blank_ = false;
    }
    std::wstring Finish() {
        std::wstring result;
        size_t start = 0;
        while (start <= text_.size()) {
            size_t end = text_.find(L'\n', start);
            if (end == std::wstring::npos) end = text_.size();
            std::wstring line = text_.substr(start, end - start);
            while (!line.empty() && (line.back() == L' ' || line.back() == L'\t')) line.pop_back();
            result += line;
            result += L'\n';
            start = end + 1;
        }
        while (result.size() > 1 && result[result.size() - 2] == L'\n') result.pop_back();
        return result == L"\n" ? std::wstring() : result;
    }

private:
    void Settle() {
        if (breaks_ > 0 && !text_.empty()) {
            size_t ending = 0;
            for (size_t i = text_.size(); i > 0 && text_[i - 1] == L'\n'; --i) ++ending;
            for (size_t i = ending; i < static_cast<size_t>(breaks_); ++i) text_ += L'\n';
        } else if (blank_) {
            text_ += L' ';
        }
        breaks_ = 0;
        blank_ = false;
    }

    std::wstring text_;
    int breaks_ = 0;
    bool blank_ = false;
};

// &amp; &#65; &#x41; and a few names; anything else stays as written. Moves i past it.
bool DecodeEntity(const std::wstring& html, size_t& i, wchar_t& decoded) {
    const size_t end = html.find(L';', i);
    if (end == std::wstring::npos || end - i > 10) return false;
    const std::wstring name = html.substr(i + 1, end - i - 1);
    static const struct {
        const wchar_t* name;
        wchar_t value;
    } kNames[] = {{L"amp", L'&'}, {L"lt", L'<'}, {L"gt", L'>'}, {L"quot", L'"'}, {L"apos", L'\''},
                  {L"nbsp", L' '}, {L"copy", 0xA9}, {L"reg", 0xAE}};
    for (const auto& entry : kNames) {
        if (name == entry.name) {
            decoded = entry.value;
            i = end;
            return true;
        }
    }
    if (name.size() > 1 && name[0] == L'#') {
        const bool hex = name[1] == L'x' || name[1] == L'X';
        const std::wstring digits = name.substr(hex ? 2 : 1);
        if (digits.empty()) return false;
        unsigned long value = 0;
        for (const wchar_t c : digits) {
            const int digit = std::iswdigit(c) ? c - L'0'
                              : (hex && std::iswxdigit(c)) ? std::towlower(c) - L'a' + 10
                                                           : -1;
            if (digit < 0) return false;
            value = value * (hex ? 16 : 10) + static_cast<unsigned long>(digit);
            if (value > 0xFFFF) return false;
        }
        decoded = static_cast<wchar_t>(value);
        i = end;
        return true;
    }
    return false;
}

bool IsOneOf(const std::wstring& name, std::initializer_list<const wchar_t*> names) {
    for (const wchar_t* candidate : names)
        if (name == candidate) return true;
    return false;
}

struct List {
    bool numbered;
    int next;
};

}  // namespace

std::wstring HtmlToText(const std::wstring& html) {
    TextBuilder text;
    std::vector<List> lists;
    int preDepth = 0;
    bool preStart = false;
    const std::wstring lower = Lower(html);
    for (size_t i = 0; i < html.size(); ++i) {
        const wchar_t c = html[i];
        if (c == L'<') {
            if (lower.compare(i, 4, L"<!--") == 0) {
                const size_t end = lower.find(L"-->", i + 4);
                i = end == std::wstring::npos ? html.size() : end + 2;
                continue;
            }
            const size_t close = html.find(L'>', i);
            if (close == std::wstring::npos) break;
            size_t nameStart = i + 1;
            const bool closing = nameStart < close && html[nameStart] == L'/';
            if (closing) ++nameStart;
            size_t nameEnd = nameStart;
            while (nameEnd < close && std::iswalnum(html[nameEnd])) ++nameEnd;
            const std::wstring name = lower.substr(nameStart, nameEnd - nameStart);
            i = close;
            if (!closing && IsOneOf(name, {L"script", L"style", L"head", L"title"})) {
                const size_t end = lower.find(L"</" + name, close);
                const size_t endClose = end == std::wstring::npos ? std::wstring::npos : html.find(L'>', end);
                i = endClose == std::wstring::npos ? html.size() : endClose;
                continue;
            }
            if (name == L"br") {
                text.Literal(L'\n');
            } else if (IsOneOf(name, {L"p", L"h1", L"h2", L"h3", L"h4", L"h5", L"h6", L"table", L"blockquote",
                                      L"hr", L"dl"})) {
                text.Break(2);
            } else if (name == L"pre") {
                text.Break(2);
                preDepth += closing ? (preDepth > 0 ? -1 : 0) : 1;
                preStart = !closing;
            } else if (name == L"ul" || name == L"ol") {
                text.Break(lists.empty() ? 2 : 1);
                if (!closing) {
                    lists.push_back({name == L"ol", 1});
                } else if (!lists.empty()) {
                    lists.pop_back();
                }
            } else if (name == L"li") {
                text.Break(1);
                if (!closing) {
                    const std::wstring indent(lists.size() > 1 ? (lists.size() - 1) * 2 : 0, L' ');
                    std::wstring marker = L"- ";
                    if (!lists.empty() && lists.back().numbered) marker = std::to_wstring(lists.back().next++) + L". ";
                    for (const wchar_t m : indent + marker) text.Visible(m);
                }
            } else if (IsOneOf(name, {L"div", L"tr", L"center", L"dt", L"dd", L"body", L"html", L"form"})) {
                text.Break(1);
            } else if (name == L"td" || name == L"th") {
                text.Blank();
            }
            continue;
        }
        wchar_t visible = c;
        if (c == L'&' && !DecodeEntity(html, i, visible)) visible = L'&';
        if (preDepth > 0) {
            if (visible == L'\r') continue;
            if (preStart && visible == L'\n') {
                preStart = false;
                continue;
            }
            preStart = false;
            text.Literal(visible);
        } else if (c != L'&' && std::iswspace(visible)) {
            text.Blank();
        } else {
            text.Visible(visible);
        }
    }
    return text.Finish();
}

namespace {

void DescribeFrames(const browser::WebBrowser& browser, int depth, std::wstring& text) {
    int number = 1;
    for (const browser::WebBrowser* frame : browser.Frames()) {
        const browser::PageDescription& page = frame->CurrentPage();
        text += std::wstring(static_cast<size_t>(depth) * 2 + 2, L' ') + std::to_wstring(number++) + L". " +
                (frame->HasDocument() ? page.url + L"  (" + page.title + L")" : L"(nothing loaded)") + L"\r\n";
        DescribeFrames(*frame, depth + 1, text);
    }
}

}  // namespace

std::wstring PagePaneText(const browser::WebBrowser& browser) {
    const browser::PageDescription& page = browser.CurrentPage();
    if (!browser.HasDocument()) return L"No page is shown.\r\n";
    std::wstring text = L"Address:  " + page.url + L"\r\nTitle:    " + page.title + L"\r\nDocument: " +
                        (page.isHtml ? L"HTML" : L"not HTML (no window, nothing for scripts)") + L"\r\n";
    if (browser.Frames().empty()) {
        text += L"Frames:   none\r\n";
    } else {
        text += L"Frames:\r\n";
        DescribeFrames(browser, 0, text);
    }
    text += L"\r\n";
    if (page.source.empty()) {
        if (page.isHtml) text += L"(a described page: the stand-in has no text for it)\r\n";
        return text;
    }
    for (const wchar_t c : HtmlToText(page.source)) {
        if (c == L'\n') {
            text += L"\r\n";
        } else {
            text += c;
        }
    }
    return text;
}

}  // namespace pelmora::bandhost
