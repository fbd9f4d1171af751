#include "ui/PropBag.h"

#include <cstring>

#include "framework/com/ComPtr.h"
#include "framework/com/ExceptionBarrier.h"

namespace pelmora {

namespace {

// A copy of entry in task memory, with room for its text and two more characters, or
// null when there is no memory.
wchar_t* TaskMemoryCopy(const com::Bstr& entry) noexcept {
    const size_t length = entry.length();
    auto* buffer = static_cast<wchar_t*>(::CoTaskMemAlloc((length + 2) * sizeof(wchar_t)));
    if (!buffer) return nullptr;
    if (length) std::memcpy(buffer, entry.get(), length * sizeof(wchar_t));
    buffer[length] = L'\0';
    return buffer;
}

}  // namespace

STDMETHODIMP CPropBag::Next(ULONG wanted, LPOLESTR* strings, ULONG* fetched) {
    if (!strings || (wanted > 1 && !fetched)) return E_POINTER;
    ULONG handedOut = 0;
    {
        win::CriticalSectionLock guard(lock_);
        while (handedOut < wanted && cursor_ < strings_.size()) {
            wchar_t* copy = TaskMemoryCopy(*strings_[cursor_]);
            if (!copy) break;
            strings[handedOut++] = copy;
            ++cursor_;
        }
    }
    if (fetched) *fetched = handedOut;
    return handedOut > 0 ? S_OK : S_FALSE;
}

STDMETHODIMP CPropBag::Skip(ULONG count) {
    win::CriticalSectionLock guard(lock_);
    const size_t left = strings_.size() - cursor_;
    cursor_ += count < left ? count : left;
    return S_OK;
}

STDMETHODIMP CPropBag::Reset() {
    win::CriticalSectionLock guard(lock_);
    cursor_ = 0;
    return S_OK;
}

STDMETHODIMP CPropBag::Clone(IEnumString** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return com::ExceptionBarrier([&] {
        com::ComPtr<CPropBag> clone(new CPropBag());
        {
            win::CriticalSectionLock guard(lock_);
            clone->strings_ = strings_;
            clone->cursor_ = cursor_;
        }
        return clone->QueryInterface(IID_IEnumString, reinterpret_cast<void**>(out));
    });
}

HRESULT CPropBag::AddString(const wchar_t* text) {
    return com::ExceptionBarrier([&] {
        auto entry = std::make_shared<const com::Bstr>(text ? text : L"");
        win::CriticalSectionLock guard(lock_);
        strings_.push_back(std::move(entry));
        return S_OK;
    });
}

bool CPropBag::Contains(std::wstring_view text) {
    win::CriticalSectionLock guard(lock_);
    for (const SharedString& entry : strings_) {
        if (std::wstring_view(entry->get() ? entry->get() : L"", entry->length()) == text) return true;
    }
    return false;
}

}  // namespace pelmora
