# The Debian package (scripts/package): `cpack -G DEB` in a build configured with the prefix /usr
# and SCENESAVER_DEBIAN_PACKAGE=ON, giving scenesaver_VERSION_amd64.deb in the build folder.
# Dependencies come from dpkg-shlibdeps over the installed programs.

# Saver files as a desktop knows them: a MIME type (by content, and by "*.scr") and the entry that
# plays them on a double-click. Debian's triggers update the MIME and desktop databases.
install(FILES packaging/scenepack-play.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/scenesaver-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
  RENAME scenesaver.xml)

option(SCENESAVER_DEBIAN_PACKAGE "Install as the Debian package needs: compressed manual pages, copyright and changelog" OFF)
if(SCENESAVER_DEBIAN_PACKAGE)
  find_program(GZIP gzip REQUIRED)
  set(debian_docs ${PROJECT_BINARY_DIR}/debian-docs)
  file(MAKE_DIRECTORY ${debian_docs})
  configure_file(packaging/debian/changelog.in ${debian_docs}/changelog @ONLY)
  set(compressed)
  foreach(file man/scenesaver.6 man/scenepack.1 ${debian_docs}/changelog)
    get_filename_component(name ${file} NAME)
    get_filename_component(source ${file} ABSOLUTE BASE_DIR ${PROJECT_SOURCE_DIR})
    # -n: no name or time stamp inside, so the same input gives the same bytes.
    add_custom_command(OUTPUT ${debian_docs}/${name}.gz
      COMMAND ${GZIP} -9n -c ${source} > ${debian_docs}/${name}.gz
      DEPENDS ${source})
    list(APPEND compressed ${debian_docs}/${name}.gz)
  endforeach()
  add_custom_target(debian_docs ALL DEPENDS ${compressed})
  install(FILES ${debian_docs}/scenesaver.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
  install(FILES ${debian_docs}/scenepack.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${debian_docs}/changelog.gz packaging/debian/copyright
    DESTINATION ${CMAKE_INSTALL_DOCDIR})
else()
  install(FILES man/scenesaver.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
  install(FILES man/scenepack.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

# The package's description for cpack. CMake's include(CPack) would reserve the target name
# "package", which is the package/ folder's: the configuration is written here instead and
# scripts/package runs `cpack --config build/CPackDebConfig.cmake`.
# (cpack puts the summary line in front and indents each line.)
set(debian_description "scenesaver plays a short illustrated show full screen: pictures with
sounds and background music, changed by 29 timed transitions (slides, doors,
wipes, blinds, blocks, squeezes, flips, zooms and pushes). A show travels as a
package appended to the player's own file.

scenepack builds such saver files from a manifest or a folder of photos,
inspects, extracts, renders and plays them, and exports them as videos. The
package also holds a description for XScreenSaver, a desktop entry that plays
saver files on a double-click, and their MIME type.")
configure_file(packaging/CPackDebConfig.cmake.in ${PROJECT_BINARY_DIR}/CPackDebConfig.cmake @ONLY)
