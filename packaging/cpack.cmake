# The Debian package: `cpack -G DEB` in the build directory. Included from the top level so
# the package configuration lands next to the build.
set(CPACK_PACKAGE_NAME quellbox)
set(CPACK_PACKAGE_VENDOR "Quellbox developers")
set(CPACK_PACKAGE_CONTACT "Quellbox developers <dev@quellbox.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Watch and switch the 16 relays of a serial relay board")
set(CPACK_PACKAGE_DESCRIPTION "Quellbox operates a 16-channel relay board over a serial port.
The window, quellbox, shows every relay and switches one or all of them with a
click. quellboxctl does the same from a shell for scripts, test benches and CI
rigs, and confirms every switching from the board's own status. The virtual
board, quellbox-board-sim, plays a relay board on a pseudo-terminal, with
optional line faults, for demonstrations and tests.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://quellbox.example.org")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
# Library dependencies come from dpkg-shlibdeps; the CJK font keeps the captions readable.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wqy-zenhei | fonts-noto-cjk")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Files under /etc are the administrator's: dpkg keeps their changes over upgrades.
file(WRITE ${CMAKE_BINARY_DIR}/debian-control/conffiles "/etc/quellbox/mqtt.conf\n")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_BINARY_DIR}/debian-control/conffiles)
include(CPack)
