#pragma once
// The process's one autocomplete list of script names. The user-interface code keeps
// the slot that holds it; the application object hands it out and lets go of it at exit.
#include "framework/com/ComPtr.h"
#include "ui/PropBag.h"

namespace pelmora {

// The list, made on first request; a reference for the caller, or none when it cannot
// be made.
com::ComPtr<CPropBag> GetSharedPropertyBagSlot() noexcept;
// Lets go of the slot's reference; the next request makes a new list.
void ReleaseSharedPropertyBag() noexcept;
// At process exit: forgets the list without releasing it, and without the lock.
void AbandonSharedPropertyBag() noexcept;

}  // namespace pelmora
