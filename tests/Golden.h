#pragma once
// Compares what the product made with a committed file below tests/golden/ that a
// person has read. Run the tests with PELMORA_UPDATE_GOLDEN=1 in the environment to
// write the files anew from what they get (then read the change before committing).
#include <gtest/gtest.h>

#include <string>

namespace pelmora::test {

::testing::AssertionResult MatchesGolden(const std::string& name, const std::string& actual);

// Text for a golden file: UTF-8, with line feeds inside the text written as \n.
std::string GoldenText(const std::wstring& text);

}  // namespace pelmora::test
