# Fails while the Chinese catalogue lags behind the sources: a string put through tr() that has
# no translation yet, or a catalogue not brought up to date after strings changed. Runs lupdate
# on a copy, so the catalogue in the repository is never touched.
#   cmake -DLUPDATE=... -DSOURCE_DIR=... -DTS_FILE=... -DWORK_DIR=... -P translations_complete.cmake
# The folders src/runtime/CMakeLists.txt gives lupdate.
set(sources)
foreach(folder link controller session/qt ui runtime app/quellbox app/quellboxctl
               app/quellbox-mqtt)
    file(GLOB_RECURSE found ${SOURCE_DIR}/src/${folder}/*.cpp ${SOURCE_DIR}/src/${folder}/*.h)
    list(APPEND sources ${found})
endforeach()
list(SORT sources)
file(MAKE_DIRECTORY ${WORK_DIR})
set(copy ${WORK_DIR}/catalogue.ts)
configure_file(${TS_FILE} ${copy} COPYONLY)
execute_process(
    COMMAND ${LUPDATE} -locations none -no-obsolete -no-ui-lines ${sources} -ts ${copy}
    RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "lupdate failed: ${errors}")
endif()

file(READ ${copy} updated)
string(REGEX MATCHALL "<source>[^<]*</source>\n[ ]*<translation type=\"unfinished\"" missing
       "${updated}")
if(missing)
    string(REPLACE "<translation type=\"unfinished\"" "" missing "${missing}")
    message(FATAL_ERROR "strings without a Chinese translation in ${TS_FILE}:\n${missing}")
endif()
file(READ ${TS_FILE} committed)
if(NOT committed STREQUAL updated)
    message(FATAL_ERROR "${TS_FILE} is not up to date with the sources: build the target "
                        "update_translations and translate what it adds")
endif()
message(STATUS "every translated string has its Chinese translation")
