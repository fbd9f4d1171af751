#pragma once
// The IUnknown of our own COM objects, written once.
//
// ComBase<Primary, Also...> derives from Primary and from each Also interface that
// Primary does not derive from already, and answers QueryInterface from that short
// list: IUnknown and Primary with the object seen as Primary, each Also by static_cast
// (an interface Primary derives from, such as IDispatch below IDispatchEx, or a second
// interface the object implements). A null out pointer gives E_POINTER; otherwise the
// out pointer is cleared first, and GUID_NULL and every unlisted id give E_NOINTERFACE.
//
// The reference count is interlocked, so the object may be counted on any thread; at
// zero the object deletes itself through its virtual destructor. Every object counts
// once in the process module's lock count for its whole life, so the DLL is not
// unloaded under it.
//
// The pieces are also used on their own: a table for objects whose references are
// counted elsewhere (a connection point in its container), the count of a class
// object, and the counting and module lock of the framework-made classes of
// ComObject.h.
#include <objbase.h>

#include <type_traits>

#include "framework/com/DllModule.h"

namespace pelmora::com {

// One row of a QueryInterface table: an interface id and the object seen as it.
struct InterfaceEntry {
    const IID* iid;
    IUnknown* object;
};

// The table's object for iid, without a reference: IUnknown is the first row's, GUID_NULL
// and unlisted ids find nothing.
[[nodiscard]] IUnknown* FindInterface(const InterfaceEntry* entries, size_t count, REFIID iid) noexcept;

// QueryInterface from a table, with the rules above; the answer gets a reference.
HRESULT QueryInterfaceFromTable(const InterfaceEntry* entries, size_t count, REFIID iid, void** out) noexcept;

template <size_t Count>
HRESULT QueryInterfaceFromTable(const InterfaceEntry (&entries)[Count], REFIID iid, void** out) noexcept {
    return QueryInterfaceFromTable(entries, Count, iid, out);
}

class ReferenceCount {
public:
    ULONG Add() noexcept { return static_cast<ULONG>(::InterlockedIncrement(&count_)); }
    ULONG Drop() noexcept { return static_cast<ULONG>(::InterlockedDecrement(&count_)); }

private:
    LONG count_ = 0;
};

// Counts its owner in the process module's lock count while it lives. As the first base
// of an object it is taken before any other part is made and given back after the last
// is destroyed.
class ProcessModuleLock {
public:
    ProcessModuleLock() noexcept { LockProcessModule(); }
    ~ProcessModuleLock() { UnlockProcessModule(); }
    ProcessModuleLock(const ProcessModuleLock&) = delete;
    ProcessModuleLock& operator=(const ProcessModuleLock&) = delete;
};

// Base with a counted AddRef and Release: the object deletes itself through its
// virtual destructor when the last reference goes.
template <class Base>
class SelfDeletingObject : public Base {
public:
    STDMETHODIMP_(ULONG) AddRef() override { return references_.Add(); }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG left = references_.Drop();
        if (left == 0) delete this;
        return left;
    }

protected:
    SelfDeletingObject() = default;
    virtual ~SelfDeletingObject() = default;

private:
    ReferenceCount references_;
};

// Base, made after the module lock is taken and destroyed before it is given back.
template <class Base>
class ModuleLocked : private ProcessModuleLock, public Base {};

namespace detail {
// Stands in, as a distinct empty base, for an interface Primary already derives from.
template <class Interface>
struct InheritedInterface {};

template <class Primary, class Interface>
using SecondaryBase =
    std::conditional_t<std::is_base_of_v<Interface, Primary>, InheritedInterface<Interface>, Interface>;

template <class Primary, class... Also>
class InterfaceBases : public Primary, public SecondaryBase<Primary, Also>... {};
}  // namespace detail

template <class Primary, class... Also>
class ComBase : public SelfDeletingObject<ModuleLocked<detail::InterfaceBases<Primary, Also...>>> {
public:
    ComBase(const ComBase&) = delete;
    ComBase& operator=(const ComBase&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        const InterfaceEntry entries[] = {{&__uuidof(Primary), static_cast<Primary*>(this)},
                                          {&__uuidof(Also), static_cast<Also*>(this)}...};
        return QueryInterfaceFromTable(entries, iid, out);
    }

protected:
    ComBase() noexcept = default;
    ~ComBase() override = default;
};

}  // namespace pelmora::com
