#!/usr/bin/env bash
# Benchmarks Velloran against Chromium and a bare QtWebEngine program.
#
#   bash bench/run.sh [--runs N] [--out DIR] [--idle SECONDS] [--cycles N] [--growth] [--variants] [...]
#
# Installs what is missing, builds Velloran and the benchmark's own programs,
# writes the eight test sites, runs everything on a private X desktop and prints
# the comparison; results.csv, table.txt and chart.png go to the out folder
# (default bench/out/<timestamp>/). Any other option is passed to bench.py.
set -euo pipefail
# Builds happen in the tree; the options (--out) stay relative to where we were called.
ROOT=$(cd "$(dirname "$0")/.." && pwd)

# Chromium to compare against, matplotlib for the chart; the rest is Velloran's.
bench_packages=(chromium python3-matplotlib)
missing=()
for pkg in "${bench_packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Abbrev}' "$pkg" 2>/dev/null || true)
  [[ "$status" == ii* ]] || missing+=("$pkg")
done
if [[ ${#missing[@]} -gt 0 ]]; then
  echo "bench: installing ${missing[*]}" >&2
  SUDO=()
  if [[ $(id -u) -ne 0 ]]; then SUDO=(sudo); fi
  APT_OPTS=(-o DPkg::Lock::Timeout=600 -o Acquire::Retries=3)
  export DEBIAN_FRONTEND=noninteractive
  "${SUDO[@]}" apt-get "${APT_OPTS[@]}" update -qq >/dev/null
  "${SUDO[@]}" apt-get "${APT_OPTS[@]}" install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Velloran itself: its dependencies, then the program alone (its tests are not
# needed here); configured the way scripts/build.sh does it.
bash "$ROOT/scripts/deps.sh"
if [[ ! -f $ROOT/build/build.ninja ]]; then
  cmake -S "$ROOT" -B "$ROOT/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
# Two cores are shared: one build at a time.
flock /tmp/velloran-build.lock cmake --build "$ROOT/build" -j2 --target velloran

# The bare engine, in its own build folder.
if [[ ! -f $ROOT/bench/build/build.ninja ]]; then
  cmake -S "$ROOT/bench" -B "$ROOT/bench/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
flock /tmp/velloran-build.lock cmake --build "$ROOT/bench/build" -j2 --target bare_engine

# Debian's interpreter: it is the one that has python3-matplotlib.
PY=/usr/bin/python3
[[ -x $PY ]] || PY=python3
"$PY" "$ROOT/bench/make_pages.py"

exec "$PY" "$ROOT/bench/bench.py" \
  --velloran "$ROOT/build/velloran" \
  --bare "$ROOT/bench/build/bare_engine" \
  --chromium /usr/bin/chromium \
  "$@"
