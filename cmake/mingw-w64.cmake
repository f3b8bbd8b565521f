# Cross-compiles for 64-bit Windows with Debian's mingw-w64, posix thread model (std::thread
# and std::mutex need it). The libraries the program links (Qt, MariaDB Connector/C,
# GoogleTest) come from the prefix scripts/windows-toolchain fills.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

if(NOT WORKTIDE_MINGW_PREFIX)
    if(DEFINED ENV{WORKTIDE_MINGW_DIR})
        set(WORKTIDE_MINGW_PREFIX "$ENV{WORKTIDE_MINGW_DIR}/prefix")
    else()
        set(WORKTIDE_MINGW_PREFIX "$ENV{HOME}/.cache/worktide/mingw/prefix")
    endif()
endif()
# try_compile projects re-read this file without the cache: hand the prefix on.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES WORKTIDE_MINGW_PREFIX)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 "${WORKTIDE_MINGW_PREFIX}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
