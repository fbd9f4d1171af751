#include "state/StateItem.h"

#include "state/StateStorage.h"

namespace pelmora {

CStateItem::CStateItem(const std::wstring& name) : name_(name), children_(std::make_shared<CStateStorage>(name)) {}

CStateItem::~CStateItem() = default;

}  // namespace pelmora
