#pragma once
// The script file a generator must write, built here straight from the file format's
// rules (template lines, member order, line forms), sharing no code with the product.
#include <oaidl.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace pelmora::test {

struct EventShape {
    std::string name;
    std::vector<std::string> parameters;
};

// The template's lines: leading spaces, then the rest of the line.
inline const std::vector<std::pair<size_t, std::string>>& ScriptTemplateLines() {
    static const std::vector<std::pair<size_t, std::string>> lines = {
        {0, "<?XML version=\"1.0\"?>"},
        {0, "<package>"},
        {4, "<?component error=\"false\" debug=\"false\"?>"},
        {4, "<comment>"},
        {8, "Add your comments here "},
        {4, "</comment>"},
        {4, "<component id=\"%s\">"},
        {8, "<registration"},
        {16, "progid=\"%s\""},
        {16, "description=\"%s\""},
        {16, "version=\"%s\""},
        {16, "clsid=\"%s\"/>"},
        {8, "<public>"},
        {0, "%s"},
        {8, "</public>"},
        {8, "<script language=\"%s\">"},
        {12, "<![CDATA["},
        {0, "%s"},
        {12, "]]>"},
        {8, "</script>"},
        {4, "</component>"},
        {0, "</package>"},
    };
    return lines;
}

inline std::string ScriptTemplateBytes() {
    std::string text;
    for (const auto& [spaces, rest] : ScriptTemplateLines()) text += std::string(spaces, ' ') + rest + "\r\n";
    return text;
}

// Names the way a type library reader sees them; the event names are ASCII.
inline std::string Narrow(const wchar_t* text) {
    std::string result;
    for (; text && *text; ++text) result.push_back(static_cast<char>(*text));
    return result;
}

// Every function of a dispinterface with its parameter names, read directly.
inline std::vector<EventShape> ReadEventShapes(ITypeInfo* typeInfo) {
    std::vector<EventShape> events;
    TYPEATTR* attr = nullptr;
    if (FAILED(typeInfo->GetTypeAttr(&attr))) return events;
    for (UINT i = 0; i < attr->cFuncs; ++i) {
        FUNCDESC* desc = nullptr;
        if (FAILED(typeInfo->GetFuncDesc(i, &desc))) continue;
        BSTR names[64] = {};
        UINT count = 0;
        if (SUCCEEDED(typeInfo->GetNames(desc->memid, names, 64, &count)) && count > 0) {
            EventShape event{Narrow(names[0]), {}};
            for (UINT n = 1; n < count; ++n) event.parameters.push_back(Narrow(names[n]));
            events.push_back(event);
        }
        for (UINT n = 0; n < count; ++n) ::SysFreeString(names[n]);
        typeInfo->ReleaseFuncDesc(desc);
    }
    typeInfo->ReleaseTypeAttr(attr);
    return events;
}

// The whole file for these events and one property, with the given class id text.
inline std::string ExpectedScriptFile(std::vector<EventShape> events, const std::string& property,
                                      const std::string& clsid) {
    const std::string indent(12, ' ');
    const std::string bodyIndent(16, ' ');
    const std::string pad(15, ' ');
    const std::string crlf = "\r\n";

    struct Entry {
        std::string name;
        bool isProperty;
        std::vector<std::string> parameters;
    };
    std::vector<Entry> entries;
    for (EventShape& event : events) {
        // Only the first 19 parameter names are read back.
        if (event.parameters.size() > 19) event.parameters.resize(19);
        entries.push_back({event.name, false, event.parameters});
    }
    entries.push_back({property, true, {}});
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return std::lexicographical_compare(a.name.begin(), a.name.end(), b.name.begin(), b.name.end(),
                                            [](char x, char y) {
                                                return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
                                            });
    });

    std::string publicSection;
    std::string body;
    for (const Entry& e : entries) {
        if (e.isProperty) {
            publicSection += indent + "<property name=\"" + e.name + "\"/>" + crlf;
            body += indent + "var " + e.name + ";" + crlf;
            body += indent + "function get_" + e.name + "()" + crlf + indent + "{" + crlf;
            body += bodyIndent + "return " + e.name + ";" + crlf + indent + "}" + crlf;
            body += indent + "function put_" + e.name + "(newValue)" + crlf + indent + "{" + crlf;
            body += bodyIndent + e.name + " = newValue;" + crlf + indent + "}" + crlf;
        } else if (e.parameters.empty()) {
            publicSection += indent + "<method name=\"" + e.name + "\"/>" + crlf;
            body += indent + "function " + e.name + "()" + crlf + indent + "{" + crlf + indent + "}" + crlf;
        } else {
            publicSection += indent + "<method name=\"" + e.name + "\"><parameter name=\"Params\"/></method>" + crlf;
            std::string joined;
            for (size_t i = 0; i < e.parameters.size(); ++i) joined += (i > 0 ? ", " : "") + e.parameters[i];
            body += indent + "/* Function: " + e.name + pad + crlf;
            body += pad + "Params [properties]: " + joined + crlf;
            body += indent + "*/" + crlf;
            body += indent + "function " + e.name + "(Params)" + crlf + indent + "{" + crlf + indent + "}" + crlf;
        }
    }

    const std::vector<std::string> fields = {"Component id", "prog.id", "Description", "1.0",
                                             clsid,          publicSection, "JScript", body};
    std::string text;
    size_t field = 0;
    for (const auto& [spaces, rest] : ScriptTemplateLines()) {
        std::string line = rest;
        const size_t at = line.find("%s");
        if (at != std::string::npos) line.replace(at, 2, fields[field++]);
        text += std::string(spaces, ' ') + line + crlf;
    }
    return text;
}

// The class id text of a generated file: what stands between clsid=" and "/>.
inline std::string ClsidFieldOf(const std::string& file) {
    const std::string start = "clsid=\"";
    const size_t from = file.find(start);
    if (from == std::string::npos) return {};
    const size_t to = file.find("\"/>", from + start.size());
    if (to == std::string::npos) return {};
    return file.substr(from + start.size(), to - from - start.size());
}

}  // namespace pelmora::test
