# The Debian package: `cpack -G DEB` in the build folder gives vimbel_<version>_<arch>.deb with the
# installed tree under /usr. The shared libraries' packages come from dpkg-shlibdeps; what the
# program loads at run time without linking it is named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vimbel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Ardemol <ardemol@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "batch picture resizer")
set(CPACK_PACKAGE_DESCRIPTION "Vimbel! resizes every picture of a folder in one go. Pick a folder, choose a
resizing rule (proportional, independent width and height, or a bounding box),
an export format (JPEG with a quality, or PNG) and naming options, and press
Go: the resized pictures are saved into a new folder beside the source folder.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The font the controls are laid out for, and Qt's plug-ins for the picture formats the desktop
# entry offers (WebP, TIFF, SVG), which are loaded, not linked.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core, qt6-image-formats-plugins, libqt6svg6")
include(CPack)
