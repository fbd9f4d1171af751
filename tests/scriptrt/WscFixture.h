#pragma once
// Script component files written the way the product's generator writes them: the
// template's 22 lines with CR LF, the public section and the script body in its
// layout, ANSI text without a terminating zero.
#include <string>
#include <vector>

namespace pelmora::test {

enum class WscMemberKind { Method, EventMethod, Property };

struct WscMember {
    std::string name;
    WscMemberKind kind;
};

inline std::string JoinCrLf(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

inline std::string WscPublicSection(const std::vector<WscMember>& members) {
    const std::string indent(12, ' ');
    std::string text;
    for (const WscMember& member : members) {
        switch (member.kind) {
        case WscMemberKind::Method:
            text += indent + "<method name=\"" + member.name + "\"/>\r\n";
            break;
        case WscMemberKind::EventMethod:
            text += indent + "<method name=\"" + member.name + "\"><parameter name=\"Params\"/></method>\r\n";
            break;
        case WscMemberKind::Property:
            text += indent + "<property name=\"" + member.name + "\"/>\r\n";
            break;
        }
    }
    return text;
}

// The variable and the two accessors the generator writes for a property.
inline std::string WscPropertyCode(const std::string& name) {
    const std::string indent(12, ' ');
    const std::string bodyIndent(16, ' ');
    return JoinCrLf({indent + "var " + name + ";",
                     indent + "function get_" + name + "()", indent + "{", bodyIndent + "return " + name + ";",
                     indent + "}",
                     indent + "function put_" + name + "(newValue)", indent + "{",
                     bodyIndent + name + " = newValue;", indent + "}"});
}

// body: the script body, each of its lines ended by CR LF.
inline std::string WscFile(const std::vector<WscMember>& members, const std::string& body,
                           const std::string& language = "JScript") {
    return JoinCrLf({
        "<?XML version=\"1.0\"?>",
        "<package>",
        "    <?component error=\"false\" debug=\"false\"?>",
        "    <comment>",
        "        Add your comments here ",
        "    </comment>",
        "    <component id=\"Component id\">",
        "        <registration",
        "                progid=\"prog.id\"",
        "                description=\"Description\"",
        "                version=\"1.0\"",
        "                clsid=\"{5B1E7A3C-2D4F-4A6B-8C9D-0E1F2A3B4C5D}\"/>",
        "        <public>",
        WscPublicSection(members),
        "        </public>",
        "        <script language=\"" + language + "\">",
        "            <![CDATA[",
        body,
        "            ]]>",
        "        </script>",
        "    </component>",
        "</package>",
    });
}

}  // namespace pelmora::test
