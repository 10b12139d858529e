# Where `cmake --install` puts VelmView (the platform's conventions through GNUInstallDirs), and the
# Debian package that CPack builds from the same rules (scripts/package).
#
#   bin/                         velmview, velm-tool, velm-server, velmview-setup, velmview-demo
#   share/velmview/data/         the client's own files, which velmview-setup copies into a game directory
#   share/velmview/demo/         the demo world, which velmview-demo copies for the player
#   share/velmview/dreams/       the demo world's dreams, served by velm-server file
#   share/applications/          the desktop entry
#   share/icons/hicolor/         the icon, at the sizes make-assets draws
#   share/man/man6, man1         the manual pages, compressed
include(GNUInstallDirs)

set(VELMVIEW_VERSION 0.1.0)
set(VELMVIEW_MAINTAINER "VelmView maintainers <maintainers@users.noreply.c-seed-be6325ac.example>"
    CACHE STRING "The Debian package's Maintainer field")
set(velm_share ${CMAKE_INSTALL_DATADIR}/velmview)

install(TARGETS velmview velm-tool velm-server RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The launcher finds the programs beside itself and its files in ../share/velmview.
install(PROGRAMS packaging/launchers/velmview-setup packaging/launchers/velmview-demo DESTINATION ${CMAKE_INSTALL_BINDIR})

set(velm_assets ${CMAKE_BINARY_DIR}/game/data)
install(FILES ${velm_assets}/font12.dds ${velm_assets}/pickINI.bmp DESTINATION ${velm_share}/data)
install(FILES ${velm_assets}/walls/stone1.bmp DESTINATION ${velm_share}/data/walls)
install(FILES ${velm_assets}/misc/dream0.dds DESTINATION ${velm_share}/data/misc)

# The demo world as make-demo writes it, generated again into a folder of its own: build/game also holds
# what runs leave there (logs, address files, downloads), which is not for installing.
set(demo_stage ${CMAKE_BINARY_DIR}/demo-install)
add_custom_command(OUTPUT ${demo_stage}/stamp
                   COMMAND ${CMAKE_COMMAND} -E rm -rf ${demo_stage}/game ${demo_stage}/dreams
                   COMMAND make-demo ${demo_stage}/game ${demo_stage}/dreams
                   COMMAND ${CMAKE_COMMAND} -E touch ${demo_stage}/stamp
                   DEPENDS make-demo
                   COMMENT "Generating the demo world for installing"
                   VERBATIM)
add_custom_target(velm_demo_install ALL DEPENDS ${demo_stage}/stamp)
install(DIRECTORY ${demo_stage}/game/ DESTINATION ${velm_share}/demo)
install(DIRECTORY ${demo_stage}/dreams/ DESTINATION ${velm_share}/dreams)

install(FILES packaging/velmview.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size ${VELM_ICON_SIZES})
    install(FILES ${CMAKE_BINARY_DIR}/icons/hicolor/${size}x${size}/apps/velmview.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# Manual pages, compressed as Debian installs them (gzip -n: the same bytes on every build).
set(man_pages velmview.6 velm-tool.1 velm-server.1)
set(man_outputs "")
foreach(page ${man_pages})
    string(REGEX REPLACE ".*\\.([0-9])$" "\\1" section ${page})
    set(source ${PROJECT_SOURCE_DIR}/packaging/${page})
    set(output ${CMAKE_BINARY_DIR}/man/${page}.gz)
    add_custom_command(OUTPUT ${output}
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
                       COMMAND sh -c "gzip -9 -n -c \"$1\" >\"$2\"" sh ${source} ${output}
                       DEPENDS ${source}
                       VERBATIM)
    list(APPEND man_outputs ${output})
    install(FILES ${output} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endforeach()
add_custom_target(velm_man ALL DEPENDS ${man_outputs})

# The Debian package: everything above, with its dependencies found from the programs' shared libraries.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmview)
set(CPACK_PACKAGE_VERSION ${VELMVIEW_VERSION})
set(CPACK_PACKAGE_VENDOR "VelmView")
set(CPACK_PACKAGE_CONTACT "${VELMVIEW_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "graphical 3-D client for the online social game Velmoria")
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
     "VelmView shows the world of Velmoria in perspective 3-D: a chooser of the"
     "player profiles, the chat window, the map with its floors, walls and objects,"
     "the other avatars and the dream markers, and dream downloads with their"
     "progress. It draws with OpenGL 3.3 and also runs without a graphics card."
     ""
     "The package brings a demo world with stand-in game and file servers"
     "(velmview-demo plays it on this computer alone), velmview-setup to prepare an"
     "installed game directory, and velm-tool to inspect game files.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VELMVIEW_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
# The programs go stripped; their debugging symbols go to velmview-dbgsym, where the call stacks in
# _error.txt find them by build id once it is installed.
set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)
include(CPack)
