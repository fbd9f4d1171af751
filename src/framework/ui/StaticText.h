#pragma once
// Thin helper over a static text control: its text is all it has (SetText, GetText).
#include "framework/ui/Control.h"

namespace pelmora::ui {

class StaticText : public Control {
public:
    using Control::Control;
};

}  // namespace pelmora::ui
