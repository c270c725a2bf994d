# Install rules and the Debian package (CPack's DEB generator):
#   cmake --build build --target package   ->  build/konvelo_<version>_<arch>.deb
# The icon's PNG sizes and the manual pages are made at build time
# (rsvg-convert from librsvg2-bin, help2man); the package target needs both.
set(KONVELO_SCREENSHOT_URL "${KONVELO_HOMEPAGE}/screenshots/main-window.png" CACHE STRING
    "Where packaging/screenshots/main-window.png is published, for the AppStream metainfo")

set(PKG_SRC ${CMAKE_SOURCE_DIR}/packaging)
set(PKG_OUT ${CMAKE_BINARY_DIR}/packaging)
file(MAKE_DIRECTORY ${PKG_OUT})
find_program(RSVG_CONVERT rsvg-convert)
find_program(HELP2MAN help2man)
find_program(GZIP gzip REQUIRED)

set(KONVELO_PACKAGE_FILES)

# Icon: the SVG and PNGs rendered from it.
install(FILES ${PKG_SRC}/konvelo.svg DESTINATION share/icons/hicolor/scalable/apps)
foreach(size 48 128 256)
  set(png ${PKG_OUT}/icons/${size}x${size}/konvelo.png)
  if(RSVG_CONVERT)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PKG_OUT}/icons/${size}x${size}
      COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${PKG_SRC}/konvelo.svg
      DEPENDS ${PKG_SRC}/konvelo.svg VERBATIM)
    list(APPEND KONVELO_PACKAGE_FILES ${png})
  endif()
  install(FILES ${png} DESTINATION share/icons/hicolor/${size}x${size}/apps OPTIONAL)
endforeach()

# Manual pages from each executable's --help.
set(man_konvelo "monitor a telephone line through a VRX caller-ID phone")
set(man_konvelo-cli "command-line tool of the Konvelo telephone line monitor")
set(man_konvelo-phonesim "VRX caller-ID phone simulator for Konvelo")
foreach(exe konvelo konvelo-cli konvelo-phonesim)
  set(man ${PKG_OUT}/man/${exe}.1)
  if(HELP2MAN)
    add_custom_command(OUTPUT ${man}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PKG_OUT}/man
      COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen KONVELO_HOME=${PKG_OUT}/help-home
              ${HELP2MAN} --no-info --no-discard-stderr --version-string=${PROJECT_VERSION}
              --name=${man_${exe}} --section=1 --include=${CMAKE_SOURCE_DIR}/docs/man-guide.h2m
              --output=${man} $<TARGET_FILE:${exe}>
      COMMAND ${GZIP} -9nf ${man}
      DEPENDS ${exe} ${CMAKE_SOURCE_DIR}/docs/man-guide.h2m VERBATIM)
    list(APPEND KONVELO_PACKAGE_FILES ${man}.gz)
  endif()
  install(FILES ${man}.gz DESTINATION share/man/man1 OPTIONAL)
endforeach()

# Desktop entry, metainfo, Debian's documentation files.
configure_file(${PKG_SRC}/org.konvelo.Konvelo.metainfo.xml.in ${PKG_OUT}/org.konvelo.Konvelo.metainfo.xml @ONLY)
add_custom_command(OUTPUT ${PKG_OUT}/changelog.gz
  COMMAND ${GZIP} -9nc ${PKG_SRC}/changelog > ${PKG_OUT}/changelog.gz
  DEPENDS ${PKG_SRC}/changelog)
list(APPEND KONVELO_PACKAGE_FILES ${PKG_OUT}/changelog.gz)

install(TARGETS konvelo konvelo-cli konvelo-phonesim RUNTIME DESTINATION bin)
install(FILES ${PKG_SRC}/konvelo.desktop DESTINATION share/applications)
install(FILES ${PKG_OUT}/org.konvelo.Konvelo.metainfo.xml DESTINATION share/metainfo)
install(FILES ${PKG_SRC}/copyright ${PKG_OUT}/changelog.gz DESTINATION share/doc/konvelo)
install(FILES ${PKG_SRC}/lintian-overrides DESTINATION share/lintian/overrides RENAME konvelo)
# Files copied into a user's base folder where the user has none (BaseFolder):
# the default ring.
set(ring ${PKG_OUT}/share/Sounds/Bells/Din.wav)
add_custom_command(OUTPUT ${ring}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PKG_OUT}/share/Sounds/Bells
  COMMAND konvelo-cli ring-tone ${ring} --home ${PKG_OUT}/help-home
  DEPENDS konvelo-cli VERBATIM)
list(APPEND KONVELO_PACKAGE_FILES ${ring})
install(FILES ${ring} DESTINATION share/konvelo/Sounds/Bells)
# and the example phone-parameter description.
install(FILES ${CMAKE_SOURCE_DIR}/src/phonesettings/Params.vrx DESTINATION share/konvelo)

add_custom_target(konvelo_package_files ALL DEPENDS ${KONVELO_PACKAGE_FILES})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME konvelo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Konvelo developers")
set(CPACK_PACKAGE_CONTACT "Konvelo developers <konvelo@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "telephone line monitor for VRX caller-ID phones")
set(CPACK_PACKAGE_DESCRIPTION "Konvelo watches one telephone line through a VRX caller-ID telephone
on a serial port: journals of incoming and outgoing calls, an address book,
an alert with the caller's history, talks recorded into GSM 6.10 WAVE files,
dialling, and the phone's call memory and settings. Its interface is in
Russian. konvelo-cli gives the same functions on the command line and
konvelo-phonesim simulates the phone.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${KONVELO_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so shlibdeps cannot see them: the SVG icon plugin, the
# platform plugins, Qt Multimedia's GStreamer back end with PulseAudio output.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6svg6, qt6-qpa-plugins, gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, gstreamer1.0-pulseaudio")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pulseaudio | pipewire-pulse")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
