#pragma once
// The IUnknown of our own COM objects, written once.
//
// Interfaces<Primary, Also...> is an object's interface table: the object derives from
// Primary and from each Also interface that no other listed base derives from already,
// and InterfaceFor finds an id in that short list: IUnknown and Primary's interface with
// the object seen as it, each Also by static_cast (an interface another one derives from,
// such as IDispatch below IDispatchEx, or a second interface the object implements).
// Primary may be a class that implements an interface; it names that interface as its
// member type Interface.
//
// ComBase<Primary, Also...> is the whole object: the table answers QueryInterface. A null
// out pointer gives E_POINTER; otherwise the out pointer is cleared first, and GUID_NULL
// and every unlisted id give E_NOINTERFACE. The reference count is interlocked, so the
// object may be counted on any thread; at zero the object deletes itself through its
// virtual destructor. Every object counts once in the process module's lock count for
// its whole life, so the DLL is not unloaded under it. An object that may be aggregated
// derives from Interfaces alone and is made by CreateComInstance (ComObject.h).
//
// The pieces are also used on their own: a table for objects whose references are
// counted elsewhere (a connection point in its container), and the count of a class
// object.
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

// QueryInterface's answer for what a table found (nullptr for nothing): E_POINTER for a
// null out pointer, the out pointer cleared first, the answer given a reference.
HRESULT AnswerQuery(IUnknown* found, void** out) noexcept;

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
    using Base::Base;
    virtual ~SelfDeletingObject() = default;

private:
    ReferenceCount references_;
};

// Base, made after the module lock is taken and destroyed before it is given back.
template <class Base>
class ModuleLocked : private ProcessModuleLock, public Base {
public:
    ModuleLocked() = default;
    using Base::Base;
};

namespace detail {
template <class Base, class = void>
struct InterfaceOfBase {
    using type = Base;
};
template <class Base>
struct InterfaceOfBase<Base, std::void_t<typename Base::Interface>> {
    using type = typename Base::Interface;
};
}  // namespace detail

// The interface a base stands for: itself, or the one an implementing class names.
template <class Base>
using InterfaceOf = typename detail::InterfaceOfBase<Base>::type;

namespace detail {
// Stands in, as a distinct empty base, for an interface another listed base derives from.
template <class Interface>
struct InheritedInterface {};

template <class Interface, class... Bases>
inline constexpr bool kInheritedFromAny =
    ((std::is_base_of_v<Interface, Bases> && !std::is_same_v<Interface, Bases>) || ...);

template <class Interface, class... Bases>
using SecondaryBase =
    std::conditional_t<kInheritedFromAny<Interface, Bases...>, InheritedInterface<Interface>, Interface>;

template <class Primary, class... Also>
class InterfaceBases : public Primary, public SecondaryBase<Also, Primary, Also...>... {
public:
    InterfaceBases() = default;
    using Primary::Primary;
};
}  // namespace detail

template <class Primary, class... Also>
class Interfaces : public detail::InterfaceBases<Primary, Also...> {
public:
    Interfaces() = default;
    using detail::InterfaceBases<Primary, Also...>::InterfaceBases;

    // The object seen as iid, without a reference; nullptr for an id it does not answer.
    [[nodiscard]] IUnknown* InterfaceFor(REFIID iid) noexcept {
        using Identity = InterfaceOf<Primary>;
        const InterfaceEntry entries[] = {{&__uuidof(Identity), static_cast<Identity*>(this)},
                                          {&__uuidof(Also), static_cast<Also*>(this)}...};
        return FindInterface(entries, sizeof(entries) / sizeof(entries[0]), iid);
    }

    // Runs once the object is fully built; a failure destroys it again.
    HRESULT FinalConstruct() noexcept { return S_OK; }
};

template <class Primary, class... Also>
class ComBase : public SelfDeletingObject<ModuleLocked<Interfaces<Primary, Also...>>> {
public:
    ComBase(const ComBase&) = delete;
    ComBase& operator=(const ComBase&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override { return AnswerQuery(this->InterfaceFor(iid), out); }

protected:
    ComBase() noexcept = default;
    // The arguments go to Primary's constructor.
    using SelfDeletingObject<ModuleLocked<Interfaces<Primary, Also...>>>::SelfDeletingObject;
    ~ComBase() override = default;
};

}  // namespace pelmora::com
