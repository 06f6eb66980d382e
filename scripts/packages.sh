# shellcheck shell=bash
# Installs, with apt-get, every Debian package that building, running and
# testing Heliodex needs. Sourced by run.sh and test.sh; does nothing when
# all of them are already there.
HELIODEX_PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-qpa-plugins libgl-dev
  libusb-1.0-0-dev libicu-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-ipafont-gothic xvfb xauth
  clang libclang-rt-14-dev
)

heliodex_install_packages() {
  local missing=()
  for p in "${HELIODEX_PACKAGES[@]}"; do
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
