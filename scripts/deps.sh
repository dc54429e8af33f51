#!/usr/bin/env bash
# Installs the Debian packages Velloran needs to build, run and test.
# Does nothing (and stays quiet) when they are all present already.
set -euo pipefail

PACKAGES=(
  # toolchain
  build-essential cmake ninja-build
  # Qt: widgets, web engine, sound cues, svg icons, extra image formats
  qt6-base-dev qt6-qpa-plugins qt6-webengine-dev libqt6webenginecore6-bin
  qt6-multimedia-dev libqt6multimedia6 gstreamer1.0-plugins-base
  qt6-svg-dev libqt6svg6 qt6-image-formats-plugins libgl-dev
  # spelling dictionaries, converted for the engine at build time
  qt6-webengine-dev-tools hunspell-en-us hunspell-en-gb
  # the X server's own answer whether an X11 tray is running
  libxcb1-dev
  # headless desktop for the end-to-end tests
  xvfb xauth openbox trayer xdotool imagemagick x11-utils x11-xserver-utils
  python3 fonts-dejavu-core
  # fuzzing: clang with libFuzzer and the sanitizer runtimes
  clang-14 libclang-rt-14-dev
  # packaging: icons rendered from the SVG, the .deb and its checks
  librsvg2-bin dpkg-dev desktop-file-utils strace
  # accessibility tests: session bus, AT-SPI bus and registry, pyatspi
  dbus at-spi2-core python3-pyatspi
  # StatusNotifier tray tests: a watcher and host of their own on a private bus
  python3-dbus python3-gi
  # Wayland: the platform plugin, and headless weston for the end-to-end test
  qt6-wayland weston
)

missing=()
for pkg in "${PACKAGES[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Abbrev}' "$pkg" 2>/dev/null || true)
  [[ "$status" == ii* ]] || missing+=("$pkg")
done

[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "deps: installing ${missing[*]}" >&2

SUDO=()
if [[ $(id -u) -ne 0 ]]; then
  SUDO=(sudo)
fi

# Other jobs on the same machine may hold the apt/dpkg locks; wait for them
# rather than failing.
APT_OPTS=(-o DPkg::Lock::Timeout=600 -o Acquire::Retries=3)
export DEBIAN_FRONTEND=noninteractive

"${SUDO[@]}" apt-get "${APT_OPTS[@]}" update -qq >/dev/null
"${SUDO[@]}" apt-get "${APT_OPTS[@]}" install -y -qq --no-install-recommends "${missing[@]}" >/dev/null

for pkg in "${missing[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Abbrev}' "$pkg" 2>/dev/null || true)
  if [[ "$status" != ii* ]]; then
    echo "deps: $pkg did not install" >&2
    exit 1
  fi
done
