# 32-bit Windows build: the shipped product. It cannot run on these machines (no
# 32-bit execution), so it is built and link-checked only.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(PELMORA_TRIPLE i686-w64-mingw32)
set(CMAKE_C_COMPILER ${PELMORA_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PELMORA_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${PELMORA_TRIPLE}-windres)
set(PELMORA_WIDL ${PELMORA_TRIPLE}-widl)
set(PELMORA_WINE_DLL_DIR /usr/lib/x86_64-linux-gnu/wine/x86_64-windows)
set(CMAKE_FIND_ROOT_PATH /usr/${PELMORA_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
