# What the Debian package holds, and how CPack builds it (scripts/package).
#
# The viewer loads its player library from its own folder, so both live in one private folder
# and the command on the PATH is a link to the viewer there. That folder is not writable for
# users: the map page then goes to the user's data folder and finds Leaflet where Debian's
# libjs-leaflet package puts it.
include(GNUInstallDirs)

set(ZYN_PRIVATE_DIR lib/zyn-viewer)

install(TARGETS zyn-viewer RUNTIME DESTINATION ${ZYN_PRIVATE_DIR})
install(TARGETS velqplayer LIBRARY DESTINATION ${ZYN_PRIVATE_DIR} NAMELINK_SKIP)
file(RELATIVE_PATH _zyn_bin_to_private
    /usr/${CMAKE_INSTALL_BINDIR} /usr/${ZYN_PRIVATE_DIR}/zyn-viewer)
install(CODE "
    file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    file(CREATE_LINK \"${_zyn_bin_to_private}\"
        \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/zyn-viewer\" SYMBOLIC)
")
install(FILES ${PROJECT_SOURCE_DIR}/packaging/zyn-viewer.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/zyn-viewer.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/src/resources/skin/128.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps RENAME zyn-viewer.png)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zyn-viewer)
set(CPACK_PACKAGE_VENDOR "Velqorin")
set(CPACK_PACKAGE_CONTACT "ZYN Viewer developers <zyn-viewer@velqorin.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "viewer and manager for ZYN dashboard camera recordings")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"viewer and manager for ZYN dashboard camera recordings
 Plays the camera's recordings with their sound while following speed,
 heading, position on a map and the three-axis G-sensor; marks events,
 saves frames as JPEG, prints a frame with its telemetry, copies recordings,
 writes the camera's settings file and configures a camera attached by USB.
 Includes zyn-telemetry, which exports a trip as GPX or CSV, zyn-recover,
 which recovers recordings the camera never closed, zyn-clip, which cuts
 a lossless clip with its telemetry and a checksum list, and zyn-archive,
 which keeps cards' recordings in an indexed archive and finds any moment
 in them by place, time or event.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://velqorin.invalid/zyn-viewer")
# The libraries the programs link come from dpkg-shlibdeps; what is loaded at run time by
# name (libusb 0.1, Leaflet, the web engine's helper process, the fallback font, the archive's
# SQL drivers) is named here; PostgreSQL's driver only matters for a fleet's shared index.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libusb-0.1-4, libjs-leaflet, libqt6webenginecore6-bin, fonts-dejavu-core, libqt6sql6-sqlite")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wine, libqt6sql6-psql, qt6-translations-l10n")
set(CPACK_STRIP_FILES ON)
include(CPack)
