#pragma once
// Reads an extended dialog template (DLGTEMPLATEEX) out of a module's resources, so
// that tests check the styles the template asks for: live controls show what the
// dialog manager made of them (WS_EX_CLIENTEDGE for WS_BORDER, no unused scroll bars).
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace pelmora::test {

struct TemplateItem {  // the dialog itself or one control
    DWORD style = 0, exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    int id = 0;
    std::wstring className, text;  // ordinal classes by name ("Button", "Static", ...)
};

struct DialogTemplate {
    bool valid = false;
    TemplateItem dialog;  // className is the window class, text the caption
    std::wstring menu, typeface;
    WORD pointSize = 0;
    std::vector<TemplateItem> controls;
};

inline DialogTemplate ReadDialogTemplate(HMODULE module, UINT id) {
    DialogTemplate result;
    const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(5));  // RT_DIALOG
    const auto* bytes = static_cast<const BYTE*>(found ? ::LockResource(::LoadResource(module, found)) : nullptr);
    if (!bytes) return result;
    const size_t size = ::SizeofResource(module, found);
    size_t at = 0;
    bool ok = true;
    auto read = [&](auto& value) {
        ok = ok && at + sizeof(value) <= size;
        if (ok) std::memcpy(&value, bytes + at, sizeof(value));
        at += sizeof(value);
    };
    auto word = [&] { WORD w = 0; read(w); return w; };
    auto string = [&] {
        std::wstring text;
        for (WORD unit = word(); ok && unit != 0; unit = word()) text += static_cast<wchar_t>(unit);
        return text;
    };
    auto nameOrOrdinal = [&]() -> std::wstring {
        const WORD first = word();
        if (first == 0) return {};
        if (first != 0xFFFF) return static_cast<wchar_t>(first) + string();
        static const wchar_t* const kNames[] = {L"Button", L"Edit", L"Static", L"ListBox", L"ScrollBar", L"ComboBox"};
        const WORD ordinal = word();
        return ordinal >= 0x80 && ordinal <= 0x85 ? kNames[ordinal - 0x80] : L"#" + std::to_wstring(ordinal);
    };
    auto styles = [&](TemplateItem& it) {  // after the help id
        DWORD helpId = 0;
        read(helpId), read(it.exStyle), read(it.style);
    };
    if (word() != 1 || word() != 0xFFFF) return result;  // not an extended template
    TemplateItem& dialog = result.dialog;
    styles(dialog);
    const WORD count = word();
    read(dialog.x), read(dialog.y), read(dialog.cx), read(dialog.cy);
    result.menu = nameOrOrdinal();
    dialog.className = nameOrOrdinal();
    dialog.text = string();
    if (dialog.style & (DS_SETFONT | DS_FIXEDSYS)) {
        result.pointSize = word();
        at += 4;  // weight, italic, character set
        result.typeface = string();
    }
    for (WORD i = 0; i < count && ok; ++i) {
        at = (at + 3) & ~size_t{3};
        TemplateItem control;
        styles(control);
        read(control.x), read(control.y), read(control.cx), read(control.cy);
        DWORD controlId = 0;
        read(controlId);
        control.id = static_cast<int>(controlId);
        control.className = nameOrOrdinal();
        control.text = nameOrOrdinal();
        at += word();  // creation data
        result.controls.push_back(control);
    }
    result.valid = ok && result.controls.size() == count;
    return result;
}

}  // namespace pelmora::test
