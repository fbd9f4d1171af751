#include "state/StateItem.h"

#include <utility>

#include "state/StateStorage.h"

namespace pelmora {

CStateItem::CStateItem(std::wstring name) : name_(std::move(name)), children_(CStateStorage::ItemsName{name_}) {}

CStateItem::~CStateItem() = default;

}  // namespace pelmora
