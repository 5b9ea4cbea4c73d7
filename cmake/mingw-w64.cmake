# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64-posix: the
# POSIX thread model, which std::thread and std::mutex need). Libraries are looked up in the
# prefix of the small libraries built from Debian's sources (TOLV_WIN_PREFIX, set by
# scripts/windows/build-deps.sh) and in Qt's prefix (WIN_QT_PREFIX), then in MinGW's own root.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOLV_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TOLV_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOLV_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TOLV_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${TOLV_MINGW_TRIPLE}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${TOLV_MINGW_TRIPLE}-gcc-ranlib-posix CACHE FILEPATH "")

# Passed on to try_compile projects, which read the toolchain file again.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TOLV_WIN_PREFIX WIN_QT_PREFIX)
set(CMAKE_FIND_ROOT_PATH /usr/${TOLV_MINGW_TRIPLE})
if(TOLV_WIN_PREFIX)
  list(PREPEND CMAKE_FIND_ROOT_PATH ${TOLV_WIN_PREFIX})
endif()
if(WIN_QT_PREFIX)
  list(PREPEND CMAKE_FIND_ROOT_PATH ${WIN_QT_PREFIX})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config reads the .pc files of the prefix only, never the host's.
if(TOLV_WIN_PREFIX)
  set(ENV{PKG_CONFIG_LIBDIR} ${TOLV_WIN_PREFIX}/lib/pkgconfig)
  set(ENV{PKG_CONFIG_PATH} "")
  set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
endif()
# Wine runs the test programs cross-built here (ctest, gtest_discover_tests).
set(CMAKE_CROSSCOMPILING_EMULATOR wine CACHE STRING "")
