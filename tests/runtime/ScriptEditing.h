#pragma once
// Edits a generated script the way a user would: code typed into an event stub.
#include <gtest/gtest.h>

#include <oaidl.h>

#include <string>
#include <utility>
#include <vector>

#include "TestSupport.h"
#include "framework/com/ComPtr.h"
#include "library/ScriptletCode.h"

namespace pelmora::test {

inline std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

// Puts code into a generated event stub; events without arguments get a stub without
// the Params parameter.
inline std::string WithBody(const std::string& script, const std::string& event, const std::string& body) {
    const std::string withParams = "function " + event + "(Params)\r\n            {\r\n";
    const std::string withoutParams = "function " + event + "()\r\n            {\r\n";
    const std::string& header = script.find(withParams) != std::string::npos ? withParams : withoutParams;
    return Replaced(script, header, header + "                " + body + "\r\n");
}

// Pairs of an event and the code to put into its stub.
using ScriptBodies = std::vector<std::pair<std::string, std::string>>;

// Generates the script of the events with one property at path, then puts the bodies in.
inline void WriteGeneratedScript(const com::ComPtr<ITypeInfo>& events, const wchar_t* property,
                                 const std::wstring& path, const ScriptBodies& bodies = {}) {
    ASSERT_TRUE(events);
    CScriptletCode code(events.get());
    code.AddProperty(property);
    ASSERT_EQ(S_OK, code.Save(path));
    std::string script = ReadFileBytes(path);
    for (const auto& [event, body] : bodies) script = WithBody(script, event, body);
    WriteFileBytes(path, script);
}

}  // namespace pelmora::test
