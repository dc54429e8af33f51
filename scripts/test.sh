#!/usr/bin/env bash
# Builds, then runs every test (unit, ui, e2e). Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/build.sh

# The web engine's sandbox refuses to start as root.
if [[ $(id -u) -eq 0 ]]; then
  export QTWEBENGINE_DISABLE_SANDBOX=1
fi

log=$(mktemp)
trap 'rm -f "$log"' EXIT

set +e
ctest --test-dir build --output-on-failure --no-tests=error -j1 2>&1 | tee "$log"
rc=${PIPESTATUS[0]}
set -e

# Repeat the summary so it is the last thing printed, even after long output.
echo
grep -E '^[0-9]+% tests passed' "$log" || echo "ctest printed no summary"
exit "$rc"
