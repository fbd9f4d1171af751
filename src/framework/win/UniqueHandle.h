#pragma once
// Move-only owner of one Windows handle. The close function and the invalid value are
// part of the type (its traits), so a file handle (INVALID_HANDLE_VALUE) and an event
// handle (NULL) cannot be mixed up.
#include <windows.h>

#include <utility>

namespace pelmora::win {

template <typename Traits>
class UniqueAny {
public:
    using Type = typename Traits::Type;

    UniqueAny() noexcept = default;
    explicit UniqueAny(Type value) noexcept : value_(value) {}
    UniqueAny(UniqueAny&& other) noexcept : value_(other.release()) {}
    UniqueAny& operator=(UniqueAny&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueAny(const UniqueAny&) = delete;
    UniqueAny& operator=(const UniqueAny&) = delete;
    ~UniqueAny() { reset(); }

    [[nodiscard]] Type get() const noexcept { return value_; }
    [[nodiscard]] bool valid() const noexcept { return value_ != Traits::Invalid(); }
    explicit operator bool() const noexcept { return valid(); }

    // Closes what is held, then hands out the address for an API to fill.
    Type* put() noexcept {
        reset();
        return &value_;
    }
    void reset(Type value = Traits::Invalid()) noexcept {
        Type old = std::exchange(value_, value);
        if (old != Traits::Invalid()) Traits::Close(old);
    }
    [[nodiscard]] Type release() noexcept { return std::exchange(value_, Traits::Invalid()); }

private:
    Type value_ = Traits::Invalid();
};

template <typename T, void (*CloseFn)(T)>
struct NullIsInvalid {
    using Type = T;
    static Type Invalid() noexcept { return nullptr; }
    static void Close(Type value) noexcept { CloseFn(value); }
};

template <void (*CloseFn)(HANDLE)>
struct MinusOneIsInvalid {
    using Type = HANDLE;
    static Type Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Type value) noexcept { CloseFn(value); }
};

namespace detail {
inline void CloseKey(HKEY key) noexcept { ::RegCloseKey(key); }
inline void CloseKernelHandle(HANDLE handle) noexcept { ::CloseHandle(handle); }
inline void CloseFind(HANDLE handle) noexcept { ::FindClose(handle); }
inline void CloseModule(HMODULE module) noexcept { ::FreeLibrary(module); }
inline void CloseGdiObject(HGDIOBJ object) noexcept { ::DeleteObject(object); }
inline void CloseActCtx(HANDLE context) noexcept { ::ReleaseActCtx(context); }
inline void CloseChangeNotification(HANDLE handle) noexcept { ::FindCloseChangeNotification(handle); }
}  // namespace detail

using UniqueHKey = UniqueAny<NullIsInvalid<HKEY, detail::CloseKey>>;
using UniqueHandle = UniqueAny<NullIsInvalid<HANDLE, detail::CloseKernelHandle>>;
using UniqueModule = UniqueAny<NullIsInvalid<HMODULE, detail::CloseModule>>;
using UniqueGdiObject = UniqueAny<NullIsInvalid<HGDIOBJ, detail::CloseGdiObject>>;
using UniqueFileHandle = UniqueAny<MinusOneIsInvalid<detail::CloseKernelHandle>>;
using UniqueFindHandle = UniqueAny<MinusOneIsInvalid<detail::CloseFind>>;
using UniqueActCtx = UniqueAny<MinusOneIsInvalid<detail::CloseActCtx>>;
using UniqueChangeNotification = UniqueAny<MinusOneIsInvalid<detail::CloseChangeNotification>>;

}  // namespace pelmora::win
