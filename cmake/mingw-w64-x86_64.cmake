# Cross-build for 64-bit Windows with Debian's mingw-w64 toolchain; the tests run under wine.
#   cmake --preset windows   (or -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake)
#
# The posix thread flavour of the compiler, so std::thread and std::mutex work as on Linux.
# Everything links statically (libstdc++, libgcc, winpthread): the .exe files then run under
# wine, or on a Windows machine, without any DLL beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(quellbox_mingw x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${quellbox_mingw}-gcc-posix)
set(CMAKE_CXX_COMPILER ${quellbox_mingw}-g++-posix)
set(CMAKE_RC_COMPILER ${quellbox_mingw}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${quellbox_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Packages built for the target (GoogleTest) live in the build tree, named by CMAKE_PREFIX_PATH.
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# ctest and gtest_discover_tests start every test program through wine: quiet (WINEDEBUG=-all),
# without a window, in a prefix of its own inside the build folder so it never touches the
# user's ~/.wine. Debian's wine64 package keeps its loader in /usr/lib/wine; the `wine`
# wrapper in /usr/bin is only there when the recommended packages were installed too.
find_program(QUELLBOX_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
# Mono and Gecko are switched off: nothing here needs them, and wine would offer to fetch them.
# cmake/wine_prefix.cmake fills the prefix once at configure time.
set(QUELLBOX_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
if(QUELLBOX_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR
        ${CMAKE_COMMAND} -E env WINEDEBUG=-all WINEPREFIX=${QUELLBOX_WINEPREFIX}
        WINEDLLOVERRIDES=mscoree,mshtml= ${QUELLBOX_WINE})
endif()
