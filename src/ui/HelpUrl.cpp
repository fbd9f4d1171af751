#include "ui/HelpUrl.h"

#include "resources/resource.h"

namespace pelmora {

namespace {
// Longest file name the system hands out (with the \\?\ prefix).
constexpr DWORD kLongestPath = 32768;
}  // namespace

std::wstring HelpPageUrl(HMODULE module) {
    // A name that fills the buffer may have been cut short: read it again, longer.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        if (path.size() >= kLongestPath) return {};
        path.resize(path.size() * 4);
    }
    return L"res://" + path + L"/" + std::to_wstring(IDR_HELP_PAGE);
}

}  // namespace pelmora
