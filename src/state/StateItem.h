#pragma once
// One named node of a tree state: a 32-bit state word and the storage of its children,
// both in the memory of the tree's arena.
#include <cstdint>
#include <memory_resource>
#include <string>
#include <string_view>

#include "state/StateArena.h"
#include "state/StateStorage.h"

namespace pelmora {

class CStateItem {
public:
    // A name read as ASCII bytes, widened as it is copied.
    struct AsciiName {
        std::string_view bytes;
    };

    // The item starts with value 0 and an empty child storage that carries its name.
    CStateItem(std::wstring_view name, CStateArena& arena);
    CStateItem(AsciiName name, CStateArena& arena);
    ~CStateItem();
    CStateItem(const CStateItem&) = delete;
    CStateItem& operator=(const CStateItem&) = delete;

    [[nodiscard]] std::wstring_view Name() const noexcept { return name_; }
    [[nodiscard]] uint32_t Value() const noexcept { return value_; }
    void SetValue(uint32_t value) noexcept { value_ = value; }
    [[nodiscard]] CStateStorage& Children() const noexcept { return children_; }

private:
    std::pmr::wstring name_;
    uint32_t value_ = 0;
    // Part of the item itself: a big tree is mostly items without children, and each
    // would otherwise cost an allocation more to read.
    mutable CStateStorage children_;
};

}  // namespace pelmora
