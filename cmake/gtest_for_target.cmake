# GoogleTest for a cross build. Debian's libgtest-dev is built for the host, so a cross build
# compiles GoogleTest itself, once, from Debian's source package (googletest) with the same
# toolchain file, and installs it into a cache folder that find_package(GTest) then searches.
# The cache lives outside the project's own build folder (the windows preset puts it in
# build/gtest-mingw-w64), so wiping and reconfiguring the build keeps it; delete the folder to
# build GoogleTest anew.
set(QUELLBOX_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources to build for the target")
set(QUELLBOX_GTEST_CACHE ${CMAKE_BINARY_DIR}/gtest CACHE PATH "Where GoogleTest for the target is installed")

if(NOT EXISTS ${QUELLBOX_GTEST_CACHE}/lib/cmake/GTest/GTestConfig.cmake)
    if(NOT EXISTS ${QUELLBOX_GTEST_SOURCE}/CMakeLists.txt)
        message(FATAL_ERROR "No GoogleTest sources in ${QUELLBOX_GTEST_SOURCE}: install Debian's "
                            "googletest package (scripts/install-deps.sh does)")
    endif()
    message(STATUS "Building GoogleTest for ${CMAKE_SYSTEM_NAME} into ${QUELLBOX_GTEST_CACHE}")
    # Built and installed beside the cache and moved into place at the end, so a run cut short
    # leaves no half-filled cache behind.
    set(gtest_build ${QUELLBOX_GTEST_CACHE}-build)
    set(gtest_part ${QUELLBOX_GTEST_CACHE}-part)
    file(REMOVE_RECURSE ${gtest_build} ${gtest_part})
    execute_process(
        COMMAND ${CMAKE_COMMAND} -S ${QUELLBOX_GTEST_SOURCE} -B ${gtest_build}
                -G ${CMAKE_GENERATOR} -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE}
                -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=${gtest_part}
                -DBUILD_GMOCK=OFF -DINSTALL_GTEST=ON
        OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    execute_process(COMMAND ${CMAKE_COMMAND} --build ${gtest_build} --target install
                    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
    file(RENAME ${gtest_part} ${QUELLBOX_GTEST_CACHE})
    file(REMOVE_RECURSE ${gtest_build})
endif()
list(APPEND CMAKE_PREFIX_PATH ${QUELLBOX_GTEST_CACHE})
