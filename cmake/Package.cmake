# The Debian package, made by CPack (scripts/package.sh). Its library
# dependencies are found by dpkg-shlibdeps; only what the programs load at run
# time without linking it is named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME plomet)
set(CPACK_PACKAGE_VENDOR "The Plomet developers")
set(CPACK_PACKAGE_CONTACT "The Plomet developers <dev@plomet.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Compose the image of a Chinese company seal")
set(CPACK_PACKAGE_DESCRIPTION
    "Plomet draws a company seal (a coloured ring, the company name along the
ring, a centre sign and up to two text lines), keeps seals as small
description files (*.PMF) and hands the picture out by clipboard, printer
or as a PNG, BMP, SVG or PDF file. PlometSample is the desktop program;
plomet renders, inspects and writes seals from the command line.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://plomet.org/")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The X platform plugin is loaded, not linked; the CJK faces draw the names;
# Qt's translations make its own dialogs Chinese.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-noto-cjk | fonts-wqy-zenhei")
# The other weights of the Noto faces, a Kai face and the metric twins of
# Arial draw each style with its own face.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "qt6-translations-l10n, fonts-noto-cjk-extra, fonts-arphic-ukai, fonts-urw-base35")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
