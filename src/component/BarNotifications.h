#pragma once
// What the script runtime tells the bar whose window was created last: scriptlets
// attached and detached (the form's "Attached scripts" list) and new document
// locations (the form's New URL scripts button). The bar implements it; the
// application object holds the current bar through it.
#include <unknwn.h>

#include <string>

namespace pelmora {

class IBarNotifications : public IUnknown {
public:
    virtual void OnScriptletAttached(const std::wstring& label) = 0;
    virtual void OnScriptletDetached(const std::wstring& label) = 0;
    virtual void OnLocationsCollected() = 0;
};

}  // namespace pelmora
