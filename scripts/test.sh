#!/usr/bin/env bash
# Builds, then runs every test (unit, ui, e2e), then the unit and ui tests again under
# AddressSanitizer and UndefinedBehaviorSanitizer. Exits non-zero on any failure.
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
summary=$(grep -E '^[0-9]+% tests passed' "$log" || echo "ctest printed no summary")

# The unit and ui tests in a build of their own under AddressSanitizer and
# UndefinedBehaviorSanitizer (VELLORAN_SANITIZE: only they and the libraries; Debug
# adds Qt's own assertions). A memory error, a leak or undefined behaviour ends the
# test and fails the run; the sanitizers' options are the tests' own, in
# tests/CMakeLists.txt, so ctest run by hand in build-asan checks the same.
set +e
{
  if [[ ! -f build-asan/build.ninja ]]; then
    cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELLORAN_SANITIZE=ON
  fi &&
    cmake --build build-asan --target velloran_sanitized_tests -j2 &&
    ctest --test-dir build-asan --output-on-failure --no-tests=error -L 'unit|ui' -j1
} 2>&1 | tee "$log"
sanitized_rc=${PIPESTATUS[0]}
set -e
sanitized_summary=$(grep -E '^[0-9]+% tests passed' "$log" || echo "no sanitizer tests ran")

# Repeat the summaries so they are the last thing printed, even after long output.
echo
echo "all tests: $summary"
echo "unit and ui tests under ASan and UBSan: $sanitized_summary"
if [[ $rc -ne 0 ]]; then
  exit "$rc"
fi
exit "$sanitized_rc"
