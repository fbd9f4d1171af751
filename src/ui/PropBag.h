#pragma once
// A growing list of strings offered to the shell's AutoComplete object as an
// IEnumString. Strings are only appended; clones share them.
//
// The AutoComplete object may enumerate on a worker thread of its own while the
// dialog appends on the user-interface thread: the reference count is interlocked and
// one lock guards the strings and the cursor.
#include <objidl.h>

#include <memory>
#include <string_view>
#include <vector>

#include "framework/com/Bstr.h"
#include "framework/com/ComBase.h"
#include "framework/win/CriticalSection.h"

namespace pelmora {

// Answers IUnknown and IEnumString.
class CPropBag final : public com::ComBase<IEnumString> {
public:
    CPropBag() noexcept = default;

    // fetched may be null when wanted is 1 (the enumerator contract).
    STDMETHODIMP Next(ULONG wanted, LPOLESTR* strings, ULONG* fetched) override;
    STDMETHODIMP Skip(ULONG count) override;
    STDMETHODIMP Reset() override;
    STDMETHODIMP Clone(IEnumString** out) override;

    virtual HRESULT AddString(const wchar_t* text);
    // Whether an entry equals text exactly (case-sensitive); callers that want each
    // name once ask before they append, since AddString takes duplicates.
    [[nodiscard]] bool Contains(std::wstring_view text);

private:
    using SharedString = std::shared_ptr<const com::Bstr>;
    ~CPropBag() override = default;

    // Never fails from Vista on, which the component requires.
    win::CriticalSection lock_;
    std::vector<SharedString> strings_;
    size_t cursor_ = 0;
};

}  // namespace pelmora
