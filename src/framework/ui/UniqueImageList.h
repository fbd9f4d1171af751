#pragma once
// Owner of one common-controls image list.
#include <windows.h>
#include <commctrl.h>

#include "framework/win/UniqueHandle.h"

namespace pelmora::ui {

namespace detail {
inline void DestroyImageList(HIMAGELIST list) noexcept { ::ImageList_Destroy(list); }
}  // namespace detail

using UniqueImageList = win::UniqueAny<win::NullIsInvalid<HIMAGELIST, detail::DestroyImageList>>;

}  // namespace pelmora::ui
