# The Debian package: `cpack -G DEB` in a build folder (scripts/package.sh does it all).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tobimarume)
set(CPACK_PACKAGE_VENDOR "The TobimaruMe developers")
set(CPACK_PACKAGE_CONTACT "TobimaruMe developers <tobimarume@users.noreply.github.com>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://github.com/tobimarume/tobimarume")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "media browser and player with a Japanese interface")
# CPack puts the summary first; this is the text below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "TobimaruMe shows a folder tree and the media files of the current folder
beside a player, in one window with a Japanese user interface. The file list
is the playlist: when a file ends, the next row starts. Videos, music and
pictures play through libmpv.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

# tobimarume_1.0.1_amd64.deb
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
# The libraries the program links come from dpkg-shlibdeps. These are loaded at run time and never
# linked, so only this list brings them: the native Wayland window, the Japanese texts of Qt's own
# dialogs, the SVG engine that draws the program's icon, a font with Japanese glyphs (else the
# interface shows boxes) and the Mesa drivers mpv renders through.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "qt6-wayland, qt6-translations-l10n, libqt6svg6, fonts-ipafont-gothic | fonts-noto-cjk, libgl1-mesa-dri")
# File rows show the pictures of their type from an icon theme; a desktop nearly always has one,
# and without any the rows show plain icons, so the themes the program looks for are recommended.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
  "adwaita-icon-theme | breeze-icon-theme | papirus-icon-theme | tango-icon-theme")

include(CPack)
