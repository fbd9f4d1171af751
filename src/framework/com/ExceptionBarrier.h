#pragma once
// The one exception barrier of our COM methods: no C++ exception may cross a COM
// boundary, so a method whose work can throw runs that work through here.
#include <objbase.h>

#include <new>

namespace pelmora::com {

// Runs body (a callable returning an HRESULT) and answers what it returns; an
// allocation failure becomes E_OUTOFMEMORY, any other exception E_UNEXPECTED.
template <class Body>
[[nodiscard]] HRESULT ExceptionBarrier(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

}  // namespace pelmora::com
