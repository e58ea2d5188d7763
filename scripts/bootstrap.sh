#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Plomet needs.
# Idempotent: when everything is present it does not touch apt at all.
set -euo pipefail

PACKAGES=(
  # toolchain and build
  build-essential cmake ninja-build pkg-config
  # Qt 6: Core, Gui, Widgets, PrintSupport, Svg
  qt6-base-dev qt6-svg-dev libqt6svg6 qt6-qpa-plugins
  # tests and benchmarks
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  # PNG export with a chosen row filter and compression level
  libpng-dev
  # zlib streams of palette PNGs (ISA-L igzip)
  libisal-dev
  # fuzzing and sanitizers
  clang libclang-rt-14-dev
  # CJK fonts with real Hei and Song faces, bold included
  fonts-noto-cjk fonts-wqy-zenhei fontconfig
  # glyph outlines read from the face files (FreeType), the files found by fontconfig
  libfreetype-dev libfontconfig-dev
  # faces by style: every Noto CJK weight (bold Song), a Kai face for simplified
  # Chinese, and metric twins of Arial for Latin codes
  fonts-noto-cjk-extra fonts-arphic-ukai fonts-urw-base35
  # real components the tests drive: X server, clipboard, printer, image checks
  xvfb x11-utils xdotool xclip imagemagick poppler-utils
  cups cups-client cups-bsd printer-driver-cups-pdf
  # asking the print queue whether it takes jobs (Qt does not tell)
  libcups2-dev
  # stamping seals onto PDF documents (qpdf's library), the PDF view of the
  # stamp dialog, and qpdf the tool for the tests' encrypted documents;
  # worn seals in PDF get their soft mask through the same library
  libqpdf-dev qpdf qt6-pdf-dev
  # plomet serve: the HTTP server (header and library, security-maintained)
  libcpp-httplib-dev
  # signing stamped documents (libcrypto's CMS); real PDFs the signing tests
  # use: the CUPS test page and a form (cups-filters), a manual with xref
  # streams (libtasn1-doc)
  libssl-dev openssl cups-filters libtasn1-doc
  # the tests render worn SVG with a real renderer
  librsvg2-bin
  # packaging and desktop integration: the .deb (CPack, dpkg-shlibdeps), manual
  # pages from --help, and the tools that check the desktop files and file type
  dpkg-dev file help2man man-db bsdextrautils desktop-file-utils appstream
  shared-mime-info xdg-utils libglib2.0-bin
  # the translations: lupdate and lrelease, and CMake's Qt6LinguistTools
  qt6-l10n-tools qt6-tools-dev qt6-tools-dev-tools
  # tables of seals (CSV)
  libcsv-dev
  # Qt's own translations: standard dialogs and buttons in Chinese
  qt6-translations-l10n
  # seals taken off scans: TIFF (and more) pictures read by Qt, the ink's
  # matte traced to paths; the tests' printed page is shared-mime-info's manual
  qt6-image-formats-plugins libpotrace-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "bootstrap: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
