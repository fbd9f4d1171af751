#pragma once
// One named node of a tree state: a 32-bit state word and the storage of its children.
#include <cstdint>
#include <string>

#include "state/StateStorage.h"

namespace pelmora {

class CStateItem {
public:
    // The item starts with value 0 and an empty child storage that carries its name.
    explicit CStateItem(std::wstring name);
    ~CStateItem();
    CStateItem(const CStateItem&) = delete;
    CStateItem& operator=(const CStateItem&) = delete;

    [[nodiscard]] const std::wstring& Name() const noexcept { return name_; }
    [[nodiscard]] uint32_t Value() const noexcept { return value_; }
    void SetValue(uint32_t value) noexcept { value_ = value; }
    [[nodiscard]] CStateStorage& Children() const noexcept { return children_; }

private:
    std::wstring name_;
    uint32_t value_ = 0;
    // Part of the item itself: a big tree is mostly items without children, and each
    // would otherwise cost an allocation more to read.
    mutable CStateStorage children_;
};

}  // namespace pelmora
