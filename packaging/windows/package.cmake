# Writes the Windows package: quellbox.exe, README.txt and the licence in one zip file.
#   cmake -DEXE=... -DSTRIP=... -DREADME=... -DLICENCE=... -DSTAGE=... -DZIP=... -P package.cmake
# The zip comes from CMake itself, so no zip program is needed.
file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${STAGE})
file(COPY ${EXE} DESTINATION ${STAGE})
# The build keeps its debugging information; the operator's copy does without.
if(STRIP)
    get_filename_component(exe_name ${EXE} NAME)
    execute_process(COMMAND ${STRIP} --strip-debug ${STAGE}/${exe_name} COMMAND_ERROR_IS_FATAL ANY)
endif()
# Windows line ends: the texts open as they should in any editor there.
foreach(pair "${README}=README.txt" "${LICENCE}=LICENSE.txt")
    string(REPLACE "=" ";" pair "${pair}")
    list(GET pair 0 from)
    list(GET pair 1 to)
    file(READ ${from} text)
    string(REPLACE "\r\n" "\n" text "${text}")
    string(REPLACE "\n" "\r\n" text "${text}")
    file(WRITE ${STAGE}/${to} "${text}")
endforeach()
file(REMOVE ${ZIP})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${ZIP} --format=zip
                        quellbox.exe README.txt LICENSE.txt
                WORKING_DIRECTORY ${STAGE} COMMAND_ERROR_IS_FATAL ANY)
message(STATUS "Wrote ${ZIP}")
