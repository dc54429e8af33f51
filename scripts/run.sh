#!/usr/bin/env bash
# Installs what is missing, builds, seeds a demo Top 8 on first run, starts Velloran.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

# As root the web engine's renderer sandbox has to be off, and a page that breaks its
# renderer would get the whole machine. A throwaway machine (tests, CI) may allow it.
if [[ $(id -u) -eq 0 && "${VELLORAN_ALLOW_ROOT:-}" != 1 ]]; then
  echo "run: refusing to run as root: the web engine's sandbox would be off, and a page that" \
       "breaks its renderer would get the whole machine. Run as a normal user" \
       "(VELLORAN_ALLOW_ROOT=1 allows root on a throwaway machine)." >&2
  exit 1
fi

bash scripts/build.sh

# Same rule as the program: $VELLORAN_HOME, else the folder holding the
# binary (build/ is ours and writable), else ~/.config/velloran.
if [[ -n "${VELLORAN_HOME:-}" ]]; then
  home=$VELLORAN_HOME
elif [[ -w "$root/build" || -f "$root/build/velloran.dat" || -f "$root/build/velloran.ini" ]]; then
  home=$root/build
else
  home=${XDG_CONFIG_HOME:-$HOME/.config}/velloran
fi
mkdir -p "$home"

if [[ ! -f "$home/velloran.dat" ]]; then
  clock="file://$root/data/demo/clock.html"
  {
    printf '1,"%s",-1,"%s"\r\n' "https://en.wikipedia.org/wiki/Main_Page" "Wikipedia"
    printf '2,"%s",-1,"%s"\r\n' "https://news.ycombinator.com/" "Hacker News"
    printf '3,"%s",-1,"%s"\r\n' "https://www.debian.org/" "Debian"
    printf '4,"%s",-1,"%s"\r\n' "https://www.qt.io/" "Qt"
    printf '5,"%s",-1,"%s"\r\n' "$clock" "Loaded at"
    for slot in 6 7 8; do
      printf '%d,"",0,""\r\n' "$slot"
    done
  } > "$home/velloran.dat"
  echo "run: seeded a demo Top 8 in $home/velloran.dat"

  if [[ ! -f "$home/velloran.ini" ]]; then
    # Tabbed, reloading every minute so the clock page visibly jumps.
    printf '0,-1,1,0,0,-1\r\n' > "$home/velloran.ini"
  fi
fi

# The web engine's sandbox refuses to start as root (allowed above).
if [[ $(id -u) -eq 0 ]]; then
  export QTWEBENGINE_DISABLE_SANDBOX=1
fi

exec "$root/build/velloran" "$@"
