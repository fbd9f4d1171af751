#pragma once
// The class object of the "script" ProgID. Display-name parsing asks it to turn
// "script:<path>" into a moniker; binding that moniker makes the component.
#include <objidl.h>

#include "framework/com/ComBase.h"

namespace pelmora::scriptrt {

// Counted in the module's lock count like any object: a caller may hold the class
// object without locking the server.
class ScriptNameParser : public com::ComBase<IParseDisplayName> {
public:
    [[nodiscard]] static HRESULT Create(REFIID iid, void** out) noexcept;

    ScriptNameParser(const ScriptNameParser&) = delete;
    ScriptNameParser& operator=(const ScriptNameParser&) = delete;

    STDMETHODIMP ParseDisplayName(IBindCtx* context, LPOLESTR displayName, ULONG* eaten, IMoniker** out) override;

protected:
    ScriptNameParser() noexcept = default;
    ~ScriptNameParser() override = default;
};

}  // namespace pelmora::scriptrt
