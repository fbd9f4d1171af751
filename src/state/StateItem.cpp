#include "state/StateItem.h"

namespace pelmora {

CStateItem::CStateItem(std::wstring_view name, CStateArena& arena)
    : name_(name, arena.Resource()), children_(CStateStorage::ItemsName{name_, arena}) {}

CStateItem::CStateItem(AsciiName name, CStateArena& arena)
    : name_(name.bytes.begin(), name.bytes.end(), arena.Resource()),
      children_(CStateStorage::ItemsName{name_, arena}) {}

CStateItem::~CStateItem() = default;

}  // namespace pelmora
