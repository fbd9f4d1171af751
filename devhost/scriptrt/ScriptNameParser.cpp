#include "ScriptNameParser.h"

#include <new>
#include <string>

#include "ScriptDisplayName.h"
#include "ScriptMoniker.h"

namespace pelmora::scriptrt {

HRESULT ScriptNameParser::Create(REFIID iid, void** out) noexcept {
    if (!out) return E_POINTER;
    *out = nullptr;
    auto* created = new (std::nothrow) ScriptNameParser();
    if (!created) return E_OUTOFMEMORY;
    const com::ComPtr<ScriptNameParser> parser(created);
    return parser->QueryInterface(iid, out);
}

STDMETHODIMP ScriptNameParser::ParseDisplayName(IBindCtx*, LPOLESTR displayName, ULONG* eaten, IMoniker** out) {
    if (!eaten || !out) return E_POINTER;
    *eaten = 0;
    *out = nullptr;
    try {
        std::wstring path;
        if (!PathOfScriptDisplayName(displayName, path)) return MK_E_SYNTAX;
        const HRESULT hr = ScriptMoniker::Create(std::move(path), out);
        // The path runs to the end of the name: it is all eaten.
        if (SUCCEEDED(hr)) *eaten = static_cast<ULONG>(wcslen(displayName));
        return hr;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

}  // namespace pelmora::scriptrt
