#pragma once
// The COM module of Pelmora.dll: type library PelmoraLib 1.0 and the object map.
#include "framework/com/DllModule.h"

namespace pelmora {

class CPelmoraModule final : public com::DllModule {
public:
    CPelmoraModule();
    ~CPelmoraModule() override;
};

CPelmoraModule& GetPelmoraModule() noexcept;

}  // namespace pelmora
