# The Debian package: what `cpack` builds from the install rules. Its dependencies are read
# from the program's own libraries by dpkg-shlibdeps; the desktop's helpers the program calls
# at run time are named by hand.
#
# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 The Velmora developers
include(GNUInstallDirs)

# The licence and the package's own changelog, where Debian looks for them; gzip -n keeps the
# package the same from build to build (no name, no time stamp).
install(FILES ${PROJECT_SOURCE_DIR}/cmake/debian_copyright
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/velmora RENAME copyright)
# A revision below 1, as packages from outside Debian take: a Debian upload of the same
# version (revision 1 and on) supersedes this one. (CPack reads a bare "0" as no revision.)
set(VELMORA_DEBIAN_RELEASE 0velmora1)
file(STRINGS ${PROJECT_SOURCE_DIR}/cmake/debian_changelog VELMORA_CHANGELOG_HEAD LIMIT_COUNT 1)
if(NOT VELMORA_CHANGELOG_HEAD MATCHES "^velmora \\(${PROJECT_VERSION}-${VELMORA_DEBIAN_RELEASE}\\) ")
  message(FATAL_ERROR "cmake/debian_changelog starts with \"${VELMORA_CHANGELOG_HEAD}\": "
    "its first entry must be version ${PROJECT_VERSION}-${VELMORA_DEBIAN_RELEASE}")
endif()
set(VELMORA_CHANGELOG_GZ ${CMAKE_CURRENT_BINARY_DIR}/doc/changelog.Debian.gz)
velmora_gzip(${PROJECT_SOURCE_DIR}/cmake/debian_changelog ${VELMORA_CHANGELOG_GZ})
add_custom_target(velmora_changelog ALL DEPENDS ${VELMORA_CHANGELOG_GZ})
install(FILES ${VELMORA_CHANGELOG_GZ} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/velmora)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# Not a native package: the Debian revision is what changelog.Debian names.
set(CPACK_DEBIAN_PACKAGE_RELEASE ${VELMORA_DEBIAN_RELEASE})
set(CPACK_PACKAGE_VENDOR "The Velmora developers")
set(CPACK_PACKAGE_CONTACT "The Velmora developers <developers@velmora.example.org>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.velmora.example.org/")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "file manager for Motorola P2K phones")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
if(NOT CMAKE_INSTALL_PREFIX STREQUAL CPACK_PACKAGING_INSTALL_PREFIX)
  # The manual page names the installed paths; configured for another prefix it would name
  # that one inside the package.
  message(STATUS "The package's paths are /usr; configure with -DCMAKE_INSTALL_PREFIX=/usr "
    "before building a package (scripts/package.sh does)")
endif()
# Every ELF file of the package, the program and any library beside it.
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
