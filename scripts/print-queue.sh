#!/bin/bash
# The printer of the print tests: a CUPS-PDF queue "HeliodexPDF" made the
# default printer, writing one PDF file per job into
# $HELIODEX_CUPS_PDF_OUT (default /var/spool/heliodex-cups-pdf), which the
# tests read back. Starts cupsd when it is not running.
#
#   scripts/print-queue.sh up    sets it up; exits 1 when cupsd cannot start
#                                or the queue cannot be added
#   scripts/print-queue.sh down  removes the queue, puts the previous default
#                                printer back and stops a cupsd that up started
set -uo pipefail
QUEUE=HeliodexPDF
OUT=${HELIODEX_CUPS_PDF_OUT:-/var/spool/heliodex-cups-pdf}
CONF=/etc/cups/cups-pdf-heliodex.conf
STATE=${TMPDIR:-/tmp}/heliodex-print-queue.state
PPD=/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

scheduler_up() { lpstat -r 2>/dev/null | grep -q "is running"; }

up() {
  local started=0
  if ! scheduler_up; then
    command -v cupsd >/dev/null 2>&1 || { echo "print-queue: cupsd is not installed"; return 1; }
    $SUDO cupsd >/dev/null 2>&1 || true
    for _ in $(seq 50); do scheduler_up && break; sleep 0.1; done
    scheduler_up || { echo "print-queue: cupsd could not be started"; return 1; }
    started=1
  fi
  [ -f "$PPD" ] || { echo "print-queue: no CUPS-PDF driver ($PPD)"; return 1; }
  local previous
  previous=$(lpstat -d 2>/dev/null | sed -n 's/^system default destination: //p')
  [ "$previous" = "$QUEUE" ] && previous=""
  printf '%s\n%s\n' "$started" "$previous" >"$STATE"
  $SUDO mkdir -p "$OUT" && $SUDO chmod 0777 "$OUT"
  printf 'Out %s\nAnonDirName %s\nUserUMask 0000\nGrp root\n' "$OUT" "$OUT" | $SUDO tee "$CONF" >/dev/null
  # The PDF reaches CUPS-PDF as PostScript; pdftocairo (poppler-utils) keeps
  # the glyphs' characters on the way, so the text of the PDF it writes can
  # be read back.
  $SUDO lpadmin -p "$QUEUE" -E -v cups-pdf:/heliodex -P "$PPD" -o pdftops-renderer-default=pdftocairo 2>/dev/null &&
    $SUDO lpadmin -d "$QUEUE" 2>/dev/null || { echo "print-queue: the queue $QUEUE could not be added"; return 1; }
  echo "print-queue: $QUEUE is the default printer, writing to $OUT"
}

down() {
  local started=0 previous=""
  if [ -f "$STATE" ]; then
    started=$(sed -n 1p "$STATE")
    previous=$(sed -n 2p "$STATE")
    rm -f "$STATE"
  fi
  $SUDO lpadmin -x "$QUEUE" 2>/dev/null || true
  $SUDO rm -f "$CONF"
  [ -n "$previous" ] && $SUDO lpadmin -d "$previous" 2>/dev/null
  if [ "$started" = 1 ] && [ -f /run/cups/cupsd.pid ]; then
    $SUDO kill "$(cat /run/cups/cupsd.pid)" 2>/dev/null || true
  fi
  return 0
}

case "${1:-}" in
  up) up ;;
  down) down ;;
  *) echo "usage: $0 up|down" >&2; exit 2 ;;
esac
