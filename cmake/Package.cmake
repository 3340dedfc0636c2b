# The Debian package, made by CPack from the install rules (scripts/package.sh):
# clipvane_<version>_amd64.deb, its dependencies computed by dpkg-shlibdeps
# from the installed programs.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME clipvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Clipvane developers")
set(CPACK_PACKAGE_CONTACT "Clipvane developers <developers@clipvane.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "screen capture tool with an image editor")
set(CPACK_PACKAGE_DESCRIPTION "Clipvane captures the full screen, the window or object under the mouse, the
active window, a region dragged over a frozen screen, a fixed-size rectangle
or a scrolling window on X11 desktops. Captures go to the clipboard, to
numbered files and to a tabbed editor that annotates them with lines, arrows,
shapes, highlights, text and stamps, and crops, resizes, adjusts and filters
them. The package also holds clipvane-image, which converts image files and
applies the editor's effects on the command line.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://clipvane.org/)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its SVG icon engine (the icons are SVG drawings) as a plugin at run
# time, which dpkg-shlibdeps cannot see in the programs; text recognition
# reads Tesseract's English language data (other languages when installed).
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6, tesseract-ocr-eng")
# The capture sound is played by whichever player is present; Qt's Wayland
# platform lets the program capture natively on a Wayland desktop.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "pulseaudio-utils | pipewire-bin | alsa-utils, qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
