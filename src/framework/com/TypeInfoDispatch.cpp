#include "framework/com/TypeInfoDispatch.h"

namespace pelmora::com {

HRESULT LoadRegisteredTypeInfo(REFGUID library, WORD majorVersion, WORD minorVersion, REFIID iid,
                               ComPtr<ITypeInfo>& typeInfo) noexcept {
    ComPtr<ITypeLib> typeLibrary;
    PELMORA_RETURN_IF_FAILED(
        ::LoadRegTypeLib(library, majorVersion, minorVersion, LOCALE_NEUTRAL, typeLibrary.put()));
    return typeLibrary->GetTypeInfoOfGuid(iid, typeInfo.put());
}

}  // namespace pelmora::com
