#pragma once
// Edits a generated script the way a user would: code typed into an event stub.
#include <gtest/gtest.h>

#include <string>

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

}  // namespace pelmora::test
