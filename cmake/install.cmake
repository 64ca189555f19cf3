# What `make install` and the Debian packages put where a Linux user expects them: the programs in
# bin/, the show's data in share/pelx/data/, a menu entry with the program's icons at every size,
# its AppStream metadata and a manual page per program. pelx-demo reads data/ from the current
# folder and takes no options, so the pelx-demo on the PATH is a launcher that starts the program
# (libexec/pelx/) in share/pelx. Destinations are relative to the prefix chosen at install time
# (/usr/local, or /usr in the packages); nothing installed holds the prefix, so the tree works
# wherever it is put. Two install components make the two packages: `programs` (everything but the
# data) and `data` (share/pelx/data, the same on every architecture).
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME programs)

find_program(HELP2MAN help2man REQUIRED)
set(PELX_MAN_DIR ${PROJECT_BINARY_DIR}/man)
file(MAKE_DIRECTORY ${PELX_MAN_DIR})

# pelx_install_tool(TARGET DESCRIPTION): installs a command-line tool and its manual page, which
# help2man writes from the tool's --help and --version whenever the tool is rebuilt, so the page
# says what the program says. DESCRIPTION is the page's one-line "what it is".
function(pelx_install_tool target description)
  set(page ${PELX_MAN_DIR}/${target}.1)
  add_custom_command(OUTPUT ${page}
    COMMAND ${HELP2MAN} --no-info --no-discard-stderr --section 1 --name ${description}
            --output ${page} $<TARGET_FILE:${target}>
    DEPENDS ${target}
    COMMENT "Writing the manual page of ${target}"
    VERBATIM)
  add_custom_target(${target}-manual ALL DEPENDS ${page})
  install(TARGETS ${target} RUNTIME DESTINATION bin)
  install(FILES ${page} DESTINATION share/man/man1)
  set_property(GLOBAL APPEND PROPERTY PELX_INSTALLED_TOOLS ${target})
endfunction()

pelx_install_tool(pelx-capture "play the Pelx show to PNG frames or a video, or measure its frame times")
pelx_install_tool(pelx-3ds "inspect 3DS scene files as the Pelx show loads them")
pelx_install_tool(pelx-datagen "write the Pelx show's data folder")
if(TARGET pelx-view)
  pelx_install_tool(pelx-view "draw and play one 3DS scene with the Pelx show's own layers")
endif()

# The show: the program, its launcher and its page (the program has no --help to make one from;
# the launcher answers --help and --version).
install(TARGETS pelx-demo RUNTIME DESTINATION libexec/pelx)
set(PELX_LAUNCHER ${PROJECT_BINARY_DIR}/launcher/pelx-demo)
configure_file(resources/pelx-demo.sh.in ${PELX_LAUNCHER} @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                WORLD_READ WORLD_EXECUTE)
install(PROGRAMS ${PELX_LAUNCHER} DESTINATION bin)
configure_file(resources/pelx-demo.1.in ${PELX_MAN_DIR}/pelx-demo.1 @ONLY)
install(FILES ${PELX_MAN_DIR}/pelx-demo.1 DESTINATION share/man/man1)

# The data the build generated: a package of their own.
install(DIRECTORY ${PROJECT_BINARY_DIR}/data/ DESTINATION share/pelx/data COMPONENT data)
# The menu entry and the AppStream metadata, both named after the component id, and the icons the
# build wrote (tools/icon), hicolor/NxN/apps/pelx.png at every size.
install(FILES resources/pelx.desktop DESTINATION share/applications RENAME ${PELX_APP_ID}.desktop)
set(PELX_METAINFO ${PROJECT_BINARY_DIR}/metainfo/${PELX_APP_ID}.metainfo.xml)
configure_file(resources/pelx.metainfo.xml.in ${PELX_METAINFO} @ONLY)
install(FILES ${PELX_METAINFO} DESTINATION share/metainfo)
install(DIRECTORY ${PROJECT_BINARY_DIR}/tools/icon/hicolor DESTINATION share/icons)

# `make uninstall`: removes what the last install put in place (DESTDIR honoured).
add_custom_target(uninstall
  COMMAND ${CMAKE_COMMAND} -DMANIFEST=${PROJECT_BINARY_DIR}/install_manifest.txt
          -P ${PROJECT_SOURCE_DIR}/cmake/uninstall.cmake
  VERBATIM)

# `make package`: two packages, pelx_VERSION_ARCH.deb with the programs and everything else and
# pelx-data_VERSION_all.deb with the show's data, which the first depends on at the same version.
# The programs' library dependencies are worked out by dpkg-shlibdeps from the binaries.
set(PELX_PACKAGE_MAINTAINER "Pelx developers <pelx@example.org>"
    CACHE STRING "Maintainer named in the Debian packages")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pelx)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL programs data)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${PELX_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SOURCE pelx)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)

set(CPACK_DEBIAN_PROGRAMS_PACKAGE_NAME pelx)
set(CPACK_DEBIAN_PROGRAMS_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PROGRAMS_PACKAGE_SHLIBDEPS ON)
# pelx-datagen draws its text with the DejaVu fonts, which it opens by name.
set(CPACK_DEBIAN_PROGRAMS_PACKAGE_DEPENDS
    "pelx-data (= ${PROJECT_VERSION}), fonts-dejavu-core, fonts-dejavu-extra")
# pelx-capture --video pipes its frames to the ffmpeg program.
set(CPACK_DEBIAN_PROGRAMS_PACKAGE_RECOMMENDS ffmpeg)
# The first line is the summary; CPack indents the rest as Debian wants it.
set(CPACK_DEBIAN_PROGRAMS_DESCRIPTION "real-time 3D demo with its scene tools
Pelx plays six animated 3D scenes lit per vertex with shadow rays, particle
flares, a logo written in fire, live mirrors and a strobing finale, for 283
seconds to its own soundtrack, drawn with OpenGL 1.1.

The package holds the show (pelx-demo, also in the desktop menu) and the
tools around it: pelx-capture renders the show to PNG frames or a video and
measures frame times, pelx-3ds inspects 3DS scene files, pelx-view draws
and plays one scene with the show's own code and pelx-datagen writes the
show's data folder. The show's data are in pelx-data.")

set(CPACK_DEBIAN_DATA_PACKAGE_NAME pelx-data)
set(CPACK_DEBIAN_DATA_PACKAGE_ARCHITECTURE all)
set(CPACK_DEBIAN_DATA_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_DATA_PACKAGE_SHLIBDEPS OFF)
set(CPACK_DEBIAN_DATA_DESCRIPTION "data of the Pelx real-time 3D demo
The scenes, pictures, textures, fire logo mask and soundtrack that the Pelx
show (package pelx) plays, as pelx-datagen writes them from the Pelx sources.")

# The pieces a Debian package has and an install does not: the copyright file, the changelog,
# and manual pages compressed.
string(TIMESTAMP PELX_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(resources/debian-changelog.in ${PROJECT_BINARY_DIR}/debian/changelog @ONLY)
set(PELX_DEBIAN_DIR ${PROJECT_BINARY_DIR}/debian)
configure_file(cmake/deb_tree.cmake.in ${PROJECT_BINARY_DIR}/deb_tree.cmake @ONLY)
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_BINARY_DIR}/deb_tree.cmake)
include(CPack)
