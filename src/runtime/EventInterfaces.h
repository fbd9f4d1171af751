#pragma once
// The two event interfaces a scriptlet can receive, with the registered type library
// that describes each and the script property that receives the event source.
#include <windows.h>
#include <oaidl.h>

#include "framework/com/ComPtr.h"

namespace pelmora {

struct EventInterface {
    const wchar_t* typeLibraryId;  // braced GUID of the type library
    USHORT typeLibraryMajorVersion;
    const wchar_t* eventInterfaceId;  // braced IID, the start of an attachment label
    IID eventIid;                     // the same IID, for the connection point
    const wchar_t* propertyName;      // the script property that holds the source
};

// DWebBrowserEvents2 of the SHDocVw type library 1.0, property "browser".
const EventInterface& BrowserEvents() noexcept;
// HTMLWindowEvents of the MSHTML type library 4.0, property "window".
const EventInterface& WindowEvents() noexcept;

// Type information is loaded once per event interface and kept for the process, for
// every thread of it (type information is not bound to an apartment). Only successes
// are kept, so a failed load is tried again by the next caller.
com::ComPtr<ITypeInfo> FindCachedEventTypeInfo(const EventInterface& events) noexcept;
// Keeps typeInfo for events unless another thread kept one first; returns the kept one.
com::ComPtr<ITypeInfo> CacheEventTypeInfo(const EventInterface& events, com::ComPtr<ITypeInfo> typeInfo) noexcept;
// Lets every kept type information go; the application does so when it exits, before
// the DLL's static objects are destroyed.
void ReleaseCachedEventTypeInfo() noexcept;
// At process exit: forgets every kept type information without releasing it, and
// without the lock, which a thread already ended may hold.
void AbandonCachedEventTypeInfo() noexcept;

}  // namespace pelmora
