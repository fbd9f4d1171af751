#pragma once
// What the browser scriptlet asks of the URL-script tree of its main script before it
// attaches a URL script to a window. The tree model of the form implements it; the
// scriptlet shares its ownership, so an event that arrives after the form let the
// model go still finds it.
#include <string>

namespace pelmora {

class IUrlScriptTree {
public:
    virtual ~IUrlScriptTree() = default;

    // The folder the tree was loaded from: the URL-script directory followed by the
    // main script key.
    [[nodiscard]] virtual const std::wstring& GetDirectory() const = 0;
    // Whether the URL script at key ("\host\page.WSC", below that folder) is checked.
    [[nodiscard]] virtual bool IsScriptChecked(const std::wstring& key) const = 0;

protected:
    IUrlScriptTree() = default;
    IUrlScriptTree(const IUrlScriptTree&) = default;
    IUrlScriptTree& operator=(const IUrlScriptTree&) = default;
};

}  // namespace pelmora
