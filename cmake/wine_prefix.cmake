# Fills the wine prefix the test programs run in (see the toolchain file) once, at configure
# time. A fresh prefix takes wine some seconds to set up, longer than gtest_discover_tests waits
# for a test program to list its tests; a prefix made here keeps every later start quick.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
    message(FATAL_ERROR "The Windows tests run under wine, which was not found: install wine64 "
                        "(scripts/install-deps.sh windows) or configure with -DQUELLBOX_TESTS=OFF")
endif()
if(NOT EXISTS ${QUELLBOX_WINEPREFIX}/system.reg)
    message(STATUS "Setting up the wine prefix ${QUELLBOX_WINEPREFIX}")
    # Without the 32-bit half of wine, setting up a prefix complains about syswow64; harmless.
    execute_process(COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} wineboot --init
                    OUTPUT_QUIET ERROR_QUIET COMMAND_ERROR_IS_FATAL ANY)
endif()
