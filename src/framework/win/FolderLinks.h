#pragma once
// Folders the shell must not be handed for deletion, and deleting them without it. A
// shell that walks into a link to a folder deletes what it points at, or loops for as
// long as the paths grow; one that meets a path longer than MAX_PATH may go on with an
// empty path, which names the process's current folder.
#include <string>

namespace pelmora::win {

// True when folder, or a folder below it reached without a link, holds a link to a
// folder or a path near MAX_PATH characters or longer. Deeper than the listed depth counts
// as holding one: nothing walks there.
[[nodiscard]] bool HoldsLinksOrLongPaths(const std::wstring& folder);

// Deletes folder with what it holds (or the file it names), long paths included; each link is removed itself,
// never followed. False when anything stays.
bool DeleteFolderKeepingLinkTargets(const std::wstring& folder);

}  // namespace pelmora::win
