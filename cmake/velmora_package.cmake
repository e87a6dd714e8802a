# The Debian package: what `cpack` builds from the install rules. Its dependencies are read
# from the program's own libraries by dpkg-shlibdeps; the desktop's helpers the program calls
# at run time are named by hand.
#
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 The Velmora developers
include(GNUInstallDirs)

# The licence the package carries, where Debian looks for it.
install(FILES ${PROJECT_SOURCE_DIR}/cmake/debian_copyright
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/velmora RENAME copyright)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Velmora developers")
set(CPACK_PACKAGE_CONTACT "The Velmora developers <developers@velmora.example.org>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.velmora.example.org/")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "file manager for Motorola P2K phones")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Velmora developers <developers@velmora.example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# CPack puts the summary first and indents these lines as Debian wants.
set(CPACK_PACKAGE_DESCRIPTION
  "Velmora browses the volumes, folders and files of a Motorola P2K phone
attached by USB or by a serial cable: it downloads, opens, uploads,
deletes and searches files, changes their attributes, fills free space
and restarts or suspends the phone. Without a phone it runs on an
emulated one whose files live in a folder of the computer.

Every text is in English and in Russian; the help is built in.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Opening a phone file with its program, the file-type icons and their names, the help
# window's own labels in Russian.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "shared-mime-info, hicolor-icon-theme, wx3.2-i18n")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, adwaita-icon-theme, fonts-liberation2")

include(CPack)
