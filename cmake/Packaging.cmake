# Installation in the usual places of a Linux desktop program, and the Debian
# package made from it by CPack (cmake --build <dir> --target package).
# The program keeps its name "Kelvatron": it names the settings, the help file
# and the exit copy.
include(GNUInstallDirs)

set(KELVATRON_APP_ID de.ortavin.kelvatron)
set(KELVATRON_DATA_DIR ${CMAKE_INSTALL_DATADIR}/kelvatron)
set(KELVATRON_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/kelvatron)
set(pkg ${PROJECT_SOURCE_DIR}/packaging)
set(gen ${PROJECT_BINARY_DIR}/packaging)

install(TARGETS Kelvatron RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Beside the program comes first; installed, the program looks in
# ../share/kelvatron relative to itself.
install(FILES ${KELVATRON_HELP_FILE} ${PROJECT_SOURCE_DIR}/resources/protocol/Protokollvorlage.doc
        DESTINATION ${KELVATRON_DATA_DIR})

install(FILES ${pkg}/${KELVATRON_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(${pkg}/${KELVATRON_APP_ID}.metainfo.xml.in ${gen}/${KELVATRON_APP_ID}.metainfo.xml
               @ONLY)
install(FILES ${gen}/${KELVATRON_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size 32 48 64 128)
  install(FILES ${pkg}/icons/kelvatron-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME kelvatron.png)
endforeach()
install(FILES ${pkg}/icons/kelvatron.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Debian wants the man page and the changelog compressed, without a time
# stamp inside, so the package is the same from one build to the next.
find_program(KELVATRON_GZIP gzip REQUIRED)
configure_file(${pkg}/Kelvatron.1 ${gen}/Kelvatron.1 @ONLY)
configure_file(${pkg}/changelog ${gen}/changelog @ONLY)
add_custom_command(
  OUTPUT ${gen}/Kelvatron.1.gz ${gen}/changelog.gz
  COMMAND ${KELVATRON_GZIP} -9nc Kelvatron.1 > Kelvatron.1.gz
  COMMAND ${KELVATRON_GZIP} -9nc changelog > changelog.gz
  DEPENDS ${gen}/Kelvatron.1 ${gen}/changelog
  WORKING_DIRECTORY ${gen}
  VERBATIM)
add_custom_target(kelvatron_package_docs ALL DEPENDS ${gen}/Kelvatron.1.gz ${gen}/changelog.gz)
install(FILES ${gen}/Kelvatron.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${gen}/changelog.gz ${pkg}/copyright ${PROJECT_SOURCE_DIR}/README.md
        DESTINATION ${KELVATRON_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelvatron)
set(CPACK_PACKAGE_VENDOR Ortavin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "race timer for motor sport with a light barrier")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Kelvatron times one competitor at a time. START, lap and STOP come from
the keyboard, the mouse or a light barrier wired between DTR and DSR of a
serial port. Two rows of large seven-segment digits show the running time to
1/100 s and the last lap or stop time. Every start, lap and stop becomes a
line of the results protocol, saved as text, web page or word-processor
document. The user interface is German.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Ortavin <kelvatron@ortavin.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.ortavin.example/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The metric twins of Arial, Times New Roman and Courier New keep every text
# inside its box; Word export, printing through the office and the help viewer
# are welcome but the program works without them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "libreoffice-writer-nogui | libreoffice-writer, xchm, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
