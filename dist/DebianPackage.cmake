# `cpack -G DEB` in a release build makes morvane_<version>_<arch>.deb from the install rules.
# dpkg-shlibdeps derives the library dependencies from the programs themselves; what the
# programs start or load at run time is not linked, so it is declared here.

# Run-time needs that no library link shows: the window's platform plug-ins, ImageMagick with the
# extra coders for SVG and WMF input, Ghostscript for PDF and AI input, and cjpeg for JPG output.
set(MORVANE_DEB_DEPENDS
    qt6-qpa-plugins
    imagemagick
    libmagickcore-6.q16-6-extra
    ghostscript
    libjpeg-turbo-progs)
# Korean, Japanese and Chinese interface texts need a font that has their characters.
set(MORVANE_DEB_RECOMMENDS fonts-noto-cjk)

set(MORVANE_PACKAGE_MAINTAINER "Dovrelan <morvane@dovrelan.example>" CACHE STRING
    "Maintainer field of the Debian package")

set(CPACK_PACKAGE_NAME morvane)
set(CPACK_PACKAGE_VENDOR Dovrelan)
# All four parts, so that a rebuild that only raises the last one still upgrades.
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "batch image converter for JPG, PNG, GIF, WEBP and TIFF")
# Lines of the long description, each kept short for apt's and dpkg's displays.
set(description
    "Morvane converts many pictures in one go. Drop image files or whole folders"
    "onto its list, pick the target format (JPG, PNG, GIF, WEBP or TIFF), a quality"
    "and an optional width, and press the convert button: every file is converted"
    "in turn by ImageMagick, and an existing file is never overwritten. PDF and"
    "Illustrator documents are converted page by page through Ghostscript."
    "The package also holds morvane-cli, the same conversions from the command line.")
list(JOIN description "\n" CPACK_PACKAGE_DESCRIPTION)
set(CPACK_PACKAGE_HOMEPAGE_URL ${MORVANE_PRODUCT_URL})
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${MORVANE_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
list(JOIN MORVANE_DEB_DEPENDS ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
list(JOIN MORVANE_DEB_RECOMMENDS ", " CPACK_DEBIAN_PACKAGE_RECOMMENDS)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_GENERATOR DEB)
include(CPack)
