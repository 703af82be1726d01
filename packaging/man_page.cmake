# quellbox_man_page(<program> <section>): the manual page docs/man/<program>.<section>.scd,
# written in scdoc's format, is turned into a compressed man page at build time and installed.
# One call per program in the package.
find_program(QUELLBOX_SCDOC scdoc)
find_program(QUELLBOX_GZIP gzip)

function(quellbox_man_page program section)
    if(NOT QUELLBOX_SCDOC OR NOT QUELLBOX_GZIP)
        message(FATAL_ERROR "scdoc and gzip make the manual pages (scripts/install-deps.sh)")
    endif()
    set(source ${PROJECT_SOURCE_DIR}/docs/man/${program}.${section}.scd)
    set(page ${PROJECT_BINARY_DIR}/man/${program}.${section}.gz)
    # -n: no name or time stamp in the gzip header, so the page is the same on every build.
    add_custom_command(OUTPUT ${page}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
        # Two steps, not a pipe: a page scdoc refuses must fail the build.
        COMMAND sh -c "'${QUELLBOX_SCDOC}' < '${source}' > '${page}.roff' && '${QUELLBOX_GZIP}' -9n < '${page}.roff' > '${page}'"
        DEPENDS ${source}
        COMMENT "Manual page ${program}(${section})"
        VERBATIM)
    add_custom_target(man-${program} ALL DEPENDS ${page})
    include(GNUInstallDirs)
    install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endfunction()
