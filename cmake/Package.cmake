# The Debian package: `cmake --build build --target package` makes velmora_<version>-<release>_amd64.deb in
# the build folder from the install rules, laid out under /usr (programs in /usr/lib/velmora as build/bin,
# launchers in /usr/bin, the desktop's files in /usr/share). The version is the project's. Depends is
# computed from the binaries by dpkg-shlibdeps; the MIME and desktop databases are refreshed by the file
# triggers of shared-mime-info, desktop-file-utils and the icon cache, so the maintainer scripts do nothing.
set(VELMORA_DEB_RELEASE 1)
set(VELMORA_DEB_VERSION ${PROJECT_VERSION}-${VELMORA_DEB_RELEASE})
set(VELMORA_MAINTAINER "Velmora Developers <maintainers@velmora.invalid>")
set(VELMORA_DOC_DIR share/doc/velmora)

# copyright in Debian's machine-readable form, from the licence in LICENSE (stated there once).
file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE licence_lines)
list(SUBLIST licence_lines 4 -1 licence_lines)  # the text after the title and the copyright line
set(licence_text "")
foreach(line IN LISTS licence_lines)
  if(line STREQUAL "")
    string(APPEND licence_text " .\n")
  else()
    string(APPEND licence_text " ${line}\n")
  endif()
endforeach()
file(WRITE ${PROJECT_BINARY_DIR}/debian/copyright
     "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
     "Upstream-Name: Velmora\n\n"
     "Files: *\n"
     "Copyright: 2026 The Velmora developers\n"
     "License: Expat\n"
     "${licence_text}")

configure_file(${CMAKE_CURRENT_LIST_DIR}/debian/changelog.in ${PROJECT_BINARY_DIR}/debian/changelog @ONLY)
find_program(VELMORA_GZIP gzip REQUIRED)
add_custom_command(OUTPUT ${PROJECT_BINARY_DIR}/debian/changelog.Debian.gz
                   COMMAND ${VELMORA_GZIP} -9nc ${PROJECT_BINARY_DIR}/debian/changelog
                           > ${PROJECT_BINARY_DIR}/debian/changelog.Debian.gz
                   DEPENDS ${PROJECT_BINARY_DIR}/debian/changelog
                   COMMENT "Compressing the Debian changelog")
add_custom_target(debian_changelog ALL DEPENDS ${PROJECT_BINARY_DIR}/debian/changelog.Debian.gz)
add_dependencies(suite debian_changelog)
install(FILES ${PROJECT_BINARY_DIR}/debian/copyright ${PROJECT_BINARY_DIR}/debian/changelog.Debian.gz
        DESTINATION ${VELMORA_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${VELMORA_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "encrypt, decrypt and shred files from the desktop")
# The summary above is the description's first line; this is the rest.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Velmora keeps files safe. Sealdesk encrypts and decrypts files and whole
folders under a password, through encryption methods that are plug-ins,
and opens an encrypted .zqf file for viewing. Shredwell destroys files by
overwriting them several times before deleting them. Both start from the
file managers' menus (Nautilus, Dolphin, Nemo) or from a shell.")
set(CPACK_DEBIAN_PACKAGE_RELEASE ${VELMORA_DEB_RELEASE})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The libraries are private (run paths), so ldconfig has nothing to do for them; CPack would add its call
# for any library in a folder below /usr/lib, unless the package brings scripts of its own.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_LIST_DIR}/debian/postinst ${CMAKE_CURRENT_LIST_DIR}/debian/postrm)
# Opening .zqf files needs the MIME database; the desktop database lists Sealdesk for them.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
# Installed with DESTDIR, so the desktop files name /usr/bin/sealdesk, not the staging folder.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR})
include(CPack)
