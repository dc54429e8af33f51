#!/usr/bin/env bash
# Installs what is missing, then configures (first time only) and builds.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh

if [[ ! -f build/build.ninja ]]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build build -j2
