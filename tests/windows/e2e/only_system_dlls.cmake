# quellbox.exe is one file to copy: every DLL it imports must come with Windows itself.
#   cmake -DOBJDUMP=... -DEXE=... -P only_system_dlls.cmake
execute_process(COMMAND ${OBJDUMP} -p ${EXE} OUTPUT_VARIABLE headers RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} could not read ${EXE}")
endif()
string(REGEX MATCHALL "DLL Name: [^\n]+" names "${headers}")
if(NOT names)
    message(FATAL_ERROR "objdump lists no imported DLL at all in ${EXE}: not a Windows program?")
endif()
# The system's own libraries, including its C runtime (msvcrt, or the universal CRT's
# api-ms-win-crt-* forwarders).
set(system_dll
    "^(kernel32|user32|gdi32|comctl32|advapi32|shell32|ole32|oleaut32|uxtheme|imm32|winmm|ws2_32|msvcrt|ucrtbase|ntdll|api-ms-win-[a-z0-9-]+)\\.dll$")
set(foreign)
foreach(line ${names})
    string(REGEX REPLACE "^DLL Name: " "" dll "${line}")
    string(STRIP "${dll}" dll)
    string(TOLOWER "${dll}" lower)
    if(NOT lower MATCHES "${system_dll}")
        list(APPEND foreign ${dll})
    endif()
    message(STATUS "imports ${dll}")
endforeach()
if(foreign)
    message(FATAL_ERROR "quellbox.exe needs DLLs that Windows does not have: ${foreign}")
endif()
