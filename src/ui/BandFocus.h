#pragma once
// What the form tells the band object that holds it: the keyboard focus entered or
// left the band. The band passes it on to the browser's input-object site.
namespace pelmora {

class IBandFocus {
public:
    virtual void NotifyFocusChange(bool gained) noexcept = 0;
    // The form's window was destroyed, by the bar or by the band site: the form is gone.
    virtual void OnFormDestroyed() noexcept = 0;

protected:
    ~IBandFocus() = default;
};

}  // namespace pelmora
