#include "Golden.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "TestSupport.h"

namespace pelmora::test {

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t at = 0; at < text.size();) {
        const size_t end = std::min(text.find('\n', at), text.size());
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return lines;
}

// Carriage returns and other control bytes made visible, so that a wrong line end shows.
std::string Shown(const std::string& line) {
    std::string shown;
    for (unsigned char c : line) {
        static const char kHex[] = "0123456789abcdef";
        if (c == '\r') shown += "\\r";
        else if (c < 0x20 || c == 0x7f) shown += std::string("\\x") + kHex[c >> 4] + kHex[c & 15];
        else shown += static_cast<char>(c);
    }
    return shown;
}

}  // namespace

::testing::AssertionResult MatchesGolden(const std::string& name, const std::string& actual) {
    const std::string file = PELMORA_GOLDEN_DIR "/" + name;  // the source tree through Wine's Z: drive
    const std::wstring path(file.begin(), file.end());
    const char* update = std::getenv("PELMORA_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
        WriteFileBytes(path, actual);
        if (ReadFileBytes(path) != actual) return ::testing::AssertionFailure() << "could not write " << name;
        return ::testing::AssertionSuccess();
    }
    if (!FileExists(path)) {
        return ::testing::AssertionFailure() << "no golden file tests/golden/" << name
                                             << ": write it with PELMORA_UPDATE_GOLDEN=1 and read it";
    }
    const std::string expected = ReadFileBytes(path);
    if (expected == actual) return ::testing::AssertionSuccess();

    const std::vector<std::string> want = Lines(expected), got = Lines(actual);
    auto failure = ::testing::AssertionFailure();
    failure << "differs from tests/golden/" << name << " (- golden, + made; PELMORA_UPDATE_GOLDEN=1 rewrites it)\n";
    int shown = 0;
    for (size_t i = 0; i < std::max(want.size(), got.size()) && shown < 8; ++i) {
        const bool inWant = i < want.size(), inGot = i < got.size();
        if (inWant && inGot && want[i] == got[i]) continue;
        failure << "@@ line " << i + 1 << "\n";
        if (inWant) failure << "- " << Shown(want[i]) << "\n";
        if (inGot) failure << "+ " << Shown(got[i]) << "\n";
        ++shown;
    }
    if (expected.size() != actual.size()) failure << "sizes: golden " << expected.size() << ", made " << actual.size();
    return failure;
}

std::string GoldenText(const std::wstring& text) {
    std::wstring escaped;
    for (wchar_t c : text) escaped += c == L'\n' ? std::wstring(L"\\n") : std::wstring(1, c);
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, escaped.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(size > 0 ? size : 1, '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, escaped.c_str(), -1, bytes.data(), size, nullptr, nullptr);
    bytes.resize(bytes.size() - 1);
    return bytes;
}

}  // namespace pelmora::test
