#!/bin/bash
# Installs what is needed, builds Heliodex and starts it. Where there is no
# display, Heliodex starts under xvfb-run (a virtual display).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
heliodex_install_packages "${HELIODEX_RUN_PACKAGES[@]}"

# Let the logged-in user reach the instrument over USB.
if [ -d /etc/udev/rules.d ] && [ -f packaging/60-heliodex-ivtracer.rules ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  if ! cmp -s packaging/60-heliodex-ivtracer.rules /etc/udev/rules.d/60-heliodex-ivtracer.rules; then
    $SUDO install -m 0644 packaging/60-heliodex-ivtracer.rules /etc/udev/rules.d/ || true
    $SUDO udevadm control --reload-rules 2>/dev/null || true
  fi
fi

BUILD=build-run
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DHELIODEX_TESTS=OFF -DHELIODEX_BENCH=OFF
cmake --build "$BUILD" -j "$(nproc)" --target heliodex

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting Heliodex under xvfb-run (a virtual display you cannot see)."
  exec xvfb-run -a "$BUILD/heliodex" "$@"
fi
exec "$BUILD/heliodex" "$@"
