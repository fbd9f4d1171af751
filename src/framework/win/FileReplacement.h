#pragma once
// Replaces a file's whole content so that a failure never leaves a half-written file:
// the new bytes go to a temporary file in the same folder, which then takes the
// target's place. A target that existed keeps its old content when anything fails.
#include <windows.h>

#include <string>
#include <string_view>

namespace pelmora::win {

enum class FileReplaceStep {
    None,   // success
    Open,   // the target cannot be opened for writing (missing folder, read-only, in use)
    Write,  // writing, closing or moving the new content into place failed
};

struct FileReplaceResult {
    FileReplaceStep failedStep = FileReplaceStep::None;
    DWORD error = ERROR_SUCCESS;  // the system error of the failed step
    [[nodiscard]] bool succeeded() const noexcept { return failedStep == FileReplaceStep::None; }
};

[[nodiscard]] FileReplaceResult ReplaceFileContents(const std::wstring& path, std::string_view bytes) noexcept;

}  // namespace pelmora::win
