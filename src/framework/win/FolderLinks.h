#pragma once
// Folders that hold links to other folders (symbolic links, junctions), and deleting
// such a folder without following them. A shell that walks into a link deletes what
// it points at, or loops for as long as the paths grow.
#include <string>

namespace pelmora::win {

// True when folder, or a folder below it reached without a link, holds a link to a
// folder. Deeper than the listed depth counts as holding one: nothing walks there.
[[nodiscard]] bool HoldsFolderLinks(const std::wstring& folder);

// Deletes folder with what it holds; each link is removed itself, never followed.
// False when anything stays.
bool DeleteFolderKeepingLinkTargets(const std::wstring& folder);

}  // namespace pelmora::win
