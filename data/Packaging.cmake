# SPDX-License-Identifier: MIT
# `cpack -G DEB` (or `tools/bootstrap package`): a Debian package of what `cmake --install`
# installs, under /usr, its Depends worked out from the shared libraries the programs link.
set(CPACK_PACKAGE_NAME torvane)
set(CPACK_PACKAGE_VERSION ${TORVANE_VERSION})
set(CPACK_PACKAGE_VENDOR "The Torvane developers")
set(CPACK_PACKAGE_CONTACT "The Torvane developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "flashlight for Linux phones and desktops")
set(CPACK_PACKAGE_DESCRIPTION
    "Torvane fills the screen with light of your colour and, on a phone with a camera LED (PinePhone, \
Librem 5, OnePlus 6), lights the LED as a torch while it runs; the LED goes off when it ends. \
Five coloured lenses and three bulbs sit on its control tray, small sounds play as the tray moves, \
and your choices are kept.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Read or opened at run time rather than linked, so dpkg-shlibdeps cannot see them: the alerts'
# font, libcurl (platform/net/CurlLibrary.h), the alerts' SDL2_ttf and fontconfig
# (platform/alert/TtfLibrary.h, FontconfigLibrary.h) and logind's sd-bus
# (platform/torch/SdBusLibrary.h), at the versions their symbols files give for the functions used.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core, libcurl4 (>= 7.84), libsdl2-ttf-2.0-0 (>= 2.0.15), \
libfontconfig1 (>= 2.12.6), libsystemd0 (>= 222)")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")

# Debian's place for the licence; cmake --install puts LICENSE beside it.
install(FILES ${PROJECT_SOURCE_DIR}/data/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/torvane)

include(CPack)
