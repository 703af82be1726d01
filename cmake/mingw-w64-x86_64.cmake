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

# ctest and gtest_discover_tests start every test program through wine (wine_run.sh): quiet
# (WINEDEBUG=-all), without a window, in a prefix of its own inside the build folder so it never
# touches the user's ~/.wine. Mono and Gecko are switched off: nothing here needs them, and wine
# would offer to fetch them. Debian's wine64 package keeps its loader and server in
# /usr/lib/wine; the `wine` wrappers in /usr/bin come only with the recommended packages. The
# server is named directly: Debian's wineserver script makes it quit the moment the last
# program ends, and a new one then boots the whole wine session again (seconds per test).
# cmake/wine_prefix.cmake fills the prefix once at configure time.
find_program(QUELLBOX_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
find_program(QUELLBOX_WINESERVER NAMES wineserver64 wineserver PATHS /usr/lib/wine
             NO_CMAKE_FIND_ROOT_PATH)
set(QUELLBOX_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
if(QUELLBOX_WINE AND QUELLBOX_WINESERVER)
    set(CMAKE_CROSSCOMPILING_EMULATOR
        ${CMAKE_COMMAND} -E env WINEDEBUG=-all WINEPREFIX=${QUELLBOX_WINEPREFIX}
        WINESERVER=${QUELLBOX_WINESERVER} WINEDLLOVERRIDES=mscoree,mshtml=
        ${CMAKE_CURRENT_LIST_DIR}/wine_run.sh ${QUELLBOX_WINE})
endif()
