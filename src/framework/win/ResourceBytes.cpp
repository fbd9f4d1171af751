#include "framework/win/ResourceBytes.h"

#include "framework/win/HResult.h"

namespace pelmora::win {

HRESULT LoadResourceBytes(HMODULE module, UINT resourceId, const wchar_t* resourceType,
                          std::string_view& bytes) noexcept {
    HRSRC resource = ::FindResourceW(module, MAKEINTRESOURCEW(resourceId), resourceType);
    if (!resource) return HResultFromLastError();
    const DWORD size = ::SizeofResource(module, resource);
    HGLOBAL loaded = ::LoadResource(module, resource);
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (!data) return HResultFromLastError();
    bytes = std::string_view(static_cast<const char*>(data), size);
    return S_OK;
}

}  // namespace pelmora::win
