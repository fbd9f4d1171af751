#pragma once
// What a script component file declares: its public members and its script text.
#include <string>
#include <vector>

namespace pelmora::scriptrt {

enum class PublicMemberKind { Method, Property };

struct PublicMember {
    std::wstring name;
    PublicMemberKind kind = PublicMemberKind::Method;
};

struct ScriptBlock {
    std::wstring text;
    unsigned long firstLine = 0;  // zero-based line of the file where the text begins
};

struct ScriptComponentDefinition {
    std::vector<PublicMember> members;  // in declaration order
    std::vector<ScriptBlock> scripts;   // run in file order
    // <?component error="true"?>: script errors are shown to the person, not only
    // returned to the caller.
    bool reportErrors = false;
};

}  // namespace pelmora::scriptrt
