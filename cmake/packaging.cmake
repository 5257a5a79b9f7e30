# SPDX-License-Identifier: GPL-3.0-or-later
# What `cmake --install` puts where, and the Debian package built from it by `cpack -G DEB`.
#
#   bin/belltower, bin/belltower-cli                       the desktop program (when built) and the CLI
#   share/applications/belltower.desktop                   menu entry; opens ringtones and firmware images
#   share/mime/packages/belltower.xml                      .rtx .ert .re .fls file types
#   share/icons/hicolor/{scalable,NxN}/apps/belltower.*    the program's icon, where the window's sources have it
#   share/metainfo/local.belltower.belltower.metainfo.xml  AppStream metadata for software centres
#   share/bash-completion/completions/belltower-cli        bash completion, written by the built program
#   share/doc/belltower/belltower-cli.md                   the command reference
#   share/doc/belltower/copyright                          the licences (machine-readable, DEP-5)
#   share/doc/belltower/changelog.Debian.gz                the package's changelog entry
#   share/man/man1/belltower-cli.1.gz, belltower.1.gz      the manual pages

install(TARGETS belltower-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET belltower)
    install(TARGETS belltower RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

install(FILES ${PROJECT_SOURCE_DIR}/packaging/belltower.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/belltower-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME belltower.xml)
install(FILES ${PROJECT_SOURCE_DIR}/docs/belltower-cli.md ${PROJECT_SOURCE_DIR}/packaging/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# The web addresses the AppStream metadata gives; the screenshots are the README's.
set(BELLTOWER_APP_ID local.belltower.belltower)
set(BELLTOWER_HOMEPAGE "https://belltower.invalid" CACHE STRING "Where Belltower is published")
set(BELLTOWER_SCREENSHOTS "${BELLTOWER_HOMEPAGE}/raw/main/docs" CACHE STRING
    "Web folder holding docs/belltower.png and docs/piano-roll.png")
set(BELLTOWER_METAINFO ${PROJECT_BINARY_DIR}/packaging/${BELLTOWER_APP_ID}.metainfo.xml)
configure_file(${PROJECT_SOURCE_DIR}/packaging/belltower.metainfo.xml.in ${BELLTOWER_METAINFO} @ONLY)
install(FILES ${BELLTOWER_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The package's maintainer, and the Debian changelog entry of the release. The project has no
# mail domain of its own yet; .invalid is reserved, so the default claims no one else's.
set(BELLTOWER_MAINTAINER "Belltower developers <belltower@belltower.invalid>" CACHE STRING
    "Maintainer of the Debian package: Name <address>")
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
execute_process(COMMAND date -R -u -d ${BELLTOWER_RELEASE_DATE} OUTPUT_VARIABLE BELLTOWER_RELEASE_DAY
                OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
set(packagingDir ${PROJECT_BINARY_DIR}/packaging)
configure_file(${PROJECT_SOURCE_DIR}/packaging/changelog.in ${packagingDir}/changelog.Debian @ONLY)

# Debian compresses manual pages and changelogs; the completion script comes from the
# program's own command table.
set(manPages ${PROJECT_SOURCE_DIR}/docs/belltower-cli.1)
if(TARGET belltower)
    list(APPEND manPages ${PROJECT_SOURCE_DIR}/docs/belltower.1)
endif()
set(packagingFiles ${packagingDir}/belltower-cli.bash)
foreach(plain IN LISTS manPages ITEMS ${packagingDir}/changelog.Debian)
    get_filename_component(name ${plain} NAME)
    add_custom_command(OUTPUT ${packagingDir}/${name}.gz
        COMMAND gzip -9 -n -c ${plain} > ${packagingDir}/${name}.gz
        DEPENDS ${plain} VERBATIM)
    list(APPEND packagingFiles ${packagingDir}/${name}.gz)
    if(name MATCHES "\\.1$")
        install(FILES ${packagingDir}/${name}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    endif()
endforeach()
add_custom_command(OUTPUT ${packagingDir}/belltower-cli.bash
    COMMAND belltower-cli completion bash > ${packagingDir}/belltower-cli.bash
    DEPENDS belltower-cli VERBATIM)
add_custom_target(belltower_packaging_files ALL DEPENDS ${packagingFiles})
install(FILES ${packagingDir}/changelog.Debian.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${packagingDir}/belltower-cli.bash DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME belltower-cli)

# The icon is drawn with the window; take it from the first folder of the window's sources
# that holds it: belltower.svg, and belltower-<size>.png for the fixed sizes.
foreach(folder IN ITEMS resources icons)
    set(iconDir ${PROJECT_SOURCE_DIR}/src/ui/${folder})
    if(NOT EXISTS ${iconDir}/belltower.svg)
        continue()
    endif()
    install(FILES ${iconDir}/belltower.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
    file(GLOB pngIcons ${iconDir}/belltower-*.png)
    foreach(png IN LISTS pngIcons)
        if(png MATCHES "belltower-([0-9]+)\\.png$")
            set(size ${CMAKE_MATCH_1})
            install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
                    RENAME belltower.png)
        endif()
    endforeach()
    break()
endforeach()

if(NOT PROJECT_IS_TOP_LEVEL)
    return()
endif()

set(CPACK_PACKAGE_NAME belltower)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Belltower developers")
set(CPACK_PACKAGE_CONTACT "${BELLTOWER_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Ringtone converter and melody bank editor for Nokia DCT3 phones")
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Belltower converts ringtones written as RTX or Extended RTX text into the"
    "binary melody records (.re files) of the Nokia 3210, 3310, 6210 and 7110,"
    "edits the melody bank of their firmware flash images (.fls), and previews"
    "melodies as WAV."
    ""
    "It comes as a desktop program (belltower) and a command-line program"
    "(belltower-cli).")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_IGNORE_FILES "/build/" "/\\\\.git/")

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${BELLTOWER_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# dpkg-shlibdeps finds the libraries the programs link (libstdc++, Qt Core, Gui, Widgets ...).
# Qt loads the SVG icon engine and the sound back ends as plugins, which it cannot see: those
# packages are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(TARGET belltower)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, libqt6multimedia6")
endif()
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, desktop-file-utils, hicolor-icon-theme")

include(CPack)
