# What `make install` and the Debian package put where a Linux user expects them: the programs in
# bin/, the show's data in share/pelx/data/, a menu entry with the program's icon and a manual
# page per program. pelx-demo reads data/ from the current folder and takes no options, so the
# pelx-demo on the PATH is a launcher that starts the program (libexec/pelx/) in share/pelx.
# Destinations are relative to the prefix chosen at install time (/usr/local, or /usr in the
# package); nothing installed holds the prefix, so the tree works wherever it is put.

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

# The show: the program, its launcher and its page (it has no --help to make one from).
install(TARGETS pelx-demo RUNTIME DESTINATION libexec/pelx)
install(PROGRAMS resources/pelx-demo.sh DESTINATION bin RENAME pelx-demo)
configure_file(resources/pelx-demo.1.in ${PELX_MAN_DIR}/pelx-demo.1 @ONLY)
install(FILES ${PELX_MAN_DIR}/pelx-demo.1 DESTINATION share/man/man1)

# The data the build generated, the menu entry and the icon the build wrote.
install(DIRECTORY ${PROJECT_BINARY_DIR}/data/ DESTINATION share/pelx/data)
install(FILES resources/pelx.desktop DESTINATION share/applications)
install(FILES ${PROJECT_BINARY_DIR}/tools/icon/pelx.png DESTINATION share/icons/hicolor/32x32/apps)

# `make uninstall`: removes what the last install put in place (DESTDIR honoured).
add_custom_target(uninstall
  COMMAND ${CMAKE_COMMAND} -DMANIFEST=${PROJECT_BINARY_DIR}/install_manifest.txt
          -P ${PROJECT_SOURCE_DIR}/cmake/uninstall.cmake
  VERBATIM)

# `make package`: pelx_VERSION_amd64.deb, its library dependencies worked out by dpkg-shlibdeps
# from the binaries.
set(PELX_PACKAGE_MAINTAINER "Pelx developers <pelx@example.org>"
    CACHE STRING "Maintainer named in the Debian package")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pelx)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${PELX_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# pelx-datagen draws its text with the DejaVu fonts, which it opens by name.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core, fonts-dejavu-extra")
# pelx-capture --video pipes its frames to the ffmpeg program.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS ffmpeg)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "real-time 3D demo with its scene tools")
# CPack puts the summary first and indents the rest as Debian wants it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Pelx plays six animated 3D scenes lit per vertex with shadow rays, particle
flares, a logo written in fire, live mirrors and a strobing finale, for 283
seconds to its own soundtrack, drawn with OpenGL 1.1.

The package holds the show (pelx-demo, also in the desktop menu), its data,
and the tools around it: pelx-capture renders the show to PNG frames or a
video and measures frame times, pelx-3ds inspects 3DS scene files,
pelx-view draws and plays one scene with the show's own code and
pelx-datagen writes the show's data folder.")
# The pieces a Debian package has and an install does not: the copyright file, the changelog,
# and manual pages compressed.
string(TIMESTAMP PELX_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(resources/debian-changelog.in ${PROJECT_BINARY_DIR}/debian/changelog @ONLY)
set(PELX_DEBIAN_DIR ${PROJECT_BINARY_DIR}/debian)
configure_file(cmake/deb_tree.cmake.in ${PROJECT_BINARY_DIR}/deb_tree.cmake @ONLY)
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_BINARY_DIR}/deb_tree.cmake)
include(CPack)
