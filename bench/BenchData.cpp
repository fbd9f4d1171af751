#include "BenchData.h"

#include <cstdio>

#include "TestSupport.h"
#include "framework/win/Ansi.h"
#include "library/ProductKeyValues.h"
#include "library/ScriptletCode.h"
#include "runtime/EventInterfaces.h"
#include "runtime/Scriptlet.h"
#include "state/StateStorage.h"

namespace pelmora::bench {

bool Fail(const std::string& what) {
    std::fprintf(stderr, "bench: %s\n", what.c_str());
    return false;
}

bool WriteMainScript(const std::wstring& path, const std::string& body) {
    const auto events = CScriptlet::GetTypeInfo(BrowserEvents());
    if (!events) return Fail("no DWebBrowserEvents2 type information");
    CScriptletCode code(events.get());
    code.AddProperty(L"browser");
    if (FAILED(code.Save(path))) return Fail("cannot write " + win::WideToAnsi(path));
    // The body goes into the generated stub, as a user would type it.
    std::string script = test::ReadFileBytes(path);
    const std::string stub = "function DocumentComplete(Params)\r\n            {\r\n";
    const size_t at = script.find(stub);
    if (at == std::string::npos) return Fail("the generated script has no DocumentComplete stub");
    script.insert(at + stub.size(), "                " + body + "\r\n");
    test::WriteFileBytes(path, script);
    return true;
}

bool WriteFileText(const std::wstring& path, const std::string& text) {
    test::WriteFileBytes(path, text);
    return test::FileExists(path);
}

std::vector<std::wstring> WriteScriptFolders(const std::wstring& directory, int count, int perFolder,
                                             const std::string& prefix, const std::string& content) {
    std::vector<std::wstring> keys;
    for (int i = 0; i < count; ++i) {
        wchar_t folder[16];
        swprintf(folder, 16, L"\\f%02d", i / perFolder);
        if (i % perFolder == 0) ::CreateDirectoryW((directory + folder).c_str(), nullptr);
        wchar_t name[32];
        swprintf(name, 32, L"\\%hs%04d.WSC", prefix.c_str(), i);
        const std::wstring key = std::wstring(folder) + name;
        if (!WriteFileText(directory + key, content)) return {};
        keys.push_back(key);
    }
    return keys;
}

bool SaveMarks(const std::wstring& valueName, const std::vector<std::wstring>& keys, size_t checkedEvery) {
    CRootStorage marks(valueName);
    for (size_t i = 0; i < keys.size(); ++i) {
        const bool checked = checkedEvery && i % checkedEvery == 0;
        if (!marks.SetValue(keys[i], checked ? kCheckedState : kUncheckedState)) return false;
        const std::wstring folder = keys[i].substr(0, keys[i].find_last_of(L'\\') + 1);
        if (checked && folder.size() > 1 && !marks.SetValue(folder, kFolderMarkedState)) return false;
    }
    return marks.Save();
}

std::string ReadStateValue(const std::wstring& valueName) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, test::kProductKeyForTests, 0, KEY_READ, &key) != ERROR_SUCCESS) return {};
    DWORD size = 0;
    std::string bytes;
    if (::RegQueryValueExW(key, valueName.c_str(), nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS) {
        bytes.resize(size);
        if (::RegQueryValueExW(key, valueName.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(bytes.data()),
                               &size) != ERROR_SUCCESS) {
            bytes.clear();
        }
    }
    ::RegCloseKey(key);
    return bytes;
}

bool WriteStateValue(const std::wstring& valueName, const std::string& bytes) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, test::kProductKeyForTests, 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_READ | KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const bool ok = ::RegSetValueExW(key, valueName.c_str(), 0, REG_BINARY, reinterpret_cast<const BYTE*>(bytes.data()),
                                     static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS;
    ::RegCloseKey(key);
    return ok;
}

bool SetScriptLocation(const std::wstring& location) {
    return test::WriteProductString("ScriptLocation", REG_SZ, test::ToAnsi(location)) == ERROR_SUCCESS;
}

}  // namespace pelmora::bench
