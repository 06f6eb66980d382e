# shellcheck shell=bash
# The Debian packages Heliodex needs, in two sets, installed with apt-get.
# Sourced by run.sh (the run set) and test.sh (the run set and the test set);
# installs only what is missing.

# Building and running the program (xdg-utils: the desktop opener that opens
# folders, documents, pictures and web pages).
# shellcheck disable=SC2034 # used by the scripts that source this one
HELIODEX_RUN_PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-qpa-plugins libgl-dev
  libusb-1.0-0-dev libicu-dev
  fonts-ipafont-gothic qt6-translations-l10n
  xvfb xauth
  libqt6printsupport6 cups cups-client
  xdg-utils
)

# Testing it: GoogleTest, Google Benchmark, Qt's window-system interface for
# the close tests, clang for the fuzz targets, and a real printer for the
# print tests (CUPS with a CUPS-PDF queue, poppler-utils to read its PDFs).
# shellcheck disable=SC2034
HELIODEX_TEST_PACKAGES=(
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-private-dev
  clang libclang-rt-14-dev
  cups cups-client printer-driver-cups-pdf poppler-utils
)

# heliodex_install_packages PACKAGE...
heliodex_install_packages() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -eq 0 ]; then
    return 0
  fi
  echo "Installing: ${missing[*]}"
  local SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
