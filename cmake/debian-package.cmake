# The Debian package of the Linux programs: `cpack -G DEB` in the build folder
# packs what `cmake --install` installs, as zelk-mirv_<version>_<arch>.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zelk-mirv)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Zelk Mirv project")
set(CPACK_PACKAGE_CONTACT "The Zelk Mirv project <zelk-mirv@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "screen saver with an animated colour-wave ornament")
# Lines of the long description as Debian wants them: at most 79 columns, an
# empty line between paragraphs.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Zelk Mirv fills the screen with an animated colour-wave ornament: colour"
  "fronts of one of nine materials run across height maps, and a new pattern"
  "replaces the old one at every step of the wave."
  ""
  "It runs under xscreensaver and the desktops that list screen savers, in a"
  "window of its own, or full screen in a video mode of its choice, and has a"
  "settings dialog (GTK 3). The package also holds zelk-mirv-render, which"
  "renders the ornament into pictures and animations without a window.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://zelk-mirv.example.org/")
# The libraries the programs link, found by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS xscreensaver)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
