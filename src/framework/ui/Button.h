#pragma once
// Thin helper over a push button: nothing kept but the handle.
#include "framework/ui/Control.h"

namespace pelmora::ui {

class Button : public Control {
public:
    using Control::Control;

    // Presses the button as a user's click would: the parent gets BN_CLICKED. A
    // disabled button is not pressed (Wine's buttons would take BM_CLICK all the same).
    void Click() const noexcept {
        if (IsEnabled()) Send(BM_CLICK);
    }
    // Makes it the default button look (BS_DEFPUSHBUTTON) or a plain one.
    void SetDefaultLook(bool isDefault) const noexcept {
        Send(BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
    }
};

}  // namespace pelmora::ui
