#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (in build/fuzz-clang, configured once) and
# runs each for FUZZ_SECONDS over a copy of its seed corpus. Fails on any crash, UB,
# hang, leak or out-of-memory, and prints the executions each target reached.
#
#   bash fuzz/run_fuzz.sh                     # every target, 60 s each
#   FUZZ_SECONDS=3600 bash fuzz/run_fuzz.sh field_reader
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${FUZZ_BUILD_DIR:-$ROOT/build/fuzz-clang}
SECONDS_EACH=${FUZZ_SECONDS:-60}
CXX_CLANG=${FUZZ_CXX:-clang++-14}
# field_reader and the *_parse targets feed the bytes in memory (fast); the other
# *_reader targets go through a real file in a folder, for what only a file does.
ALL_TARGETS=(settings_reader url_data_reader field_reader favorite_reader site_settings_reader
             settings_parse url_data_parse url_data_readable site_settings_parse)

if [[ $# -gt 0 ]]; then
  TARGETS=("$@")
else
  TARGETS=("${ALL_TARGETS[@]}")
fi
for t in "${TARGETS[@]}"; do
  if [[ ! -d "$ROOT/fuzz/corpus/$t" ]]; then
    echo "run_fuzz: unknown target '$t' (known: ${ALL_TARGETS[*]})" >&2
    exit 2
  fi
done

if ! command -v "$CXX_CLANG" >/dev/null; then
  echo "run_fuzz: $CXX_CLANG not found; run scripts/deps.sh" >&2
  exit 1
fi

# CTest may start several targets at once; one of them builds, the others wait.
mkdir -p "$BUILD"
(
  flock 9
  if [[ ! -f "$BUILD/build.ninja" ]]; then
    cmake -S "$ROOT/fuzz/project" -B "$BUILD" -G Ninja \
      -DCMAKE_CXX_COMPILER="$CXX_CLANG" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  fi
  # Incremental: nothing is rebuilt unless a source changed.
  cmake --build "$BUILD" -j2 >"$BUILD/build.log" 2>&1 || { cat "$BUILD/build.log" >&2; exit 1; }
) 9>"$BUILD/.build.lock"

# The work corpora and the files the targets write each input to live here and go
# at the end.
tmp_root=${TMPDIR:-/tmp}
[[ -d /dev/shm && -w /dev/shm ]] && tmp_root=/dev/shm
base=$(mktemp -d "$tmp_root/velloran-fuzz-run.XXXXXX")
trap 'rm -rf "$base"' EXIT
export VELLORAN_FUZZ_TMP=$base

# A 16 MB quarantine instead of 256: every input allocates and frees many small
# buffers, and with the default each allocation lands on a page not touched yet (a page
# fault, and the shadow set up again), which more than halved the in-memory targets'
# rate as the quarantine filled. An input frees far less than 16 MB, so a freed buffer
# read later by the same input is still caught.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0:symbolize=1:quarantine_size_mb=16}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
# Qt would look for a display it never uses; the readers need none.
export QT_QPA_PLATFORM=offscreen

failed=()
summary=()
for t in "${TARGETS[@]}"; do
  exe="$BUILD/fuzz_$t"
  # Private to this run, so two runs at once (two ctest sessions) cannot collide.
  work="$base/corpus/$t"
  artifacts="$BUILD/artifacts/$t"
  log="$BUILD/logs/$t.log"
  # Inputs saved by an earlier run go, so what is left is this run's. The seeds are
  # copied: the committed ones are never touched.
  rm -rf "$artifacts"
  mkdir -p "$work" "$artifacts" "$(dirname "$log")"
  cp "$ROOT/fuzz/corpus/$t/"* "$work/"

  # An in-memory target parses one file's bytes. 1 KiB holds a whole URL data file of
  # realistic records, the settings file many times over, or a dozen site lines;
  # longer inputs only repeat lines, at a cost in proportion: with libFuzzer's
  # default 4 KiB the rate fell to a third within minutes. The file targets keep it.
  case $t in
    *_parse | url_data_readable | field_reader) max_len=(-max_len=1024) ;;
    *) max_len=() ;;
  esac
  echo "== fuzz $t: ${SECONDS_EACH}s"
  set +e
  # Timed, so the rate can also be given per CPU second: on a shared machine the
  # rate per wall second says as much about the neighbours as about the target.
  TIMEFORMAT='%R %U %S'
  { time "$exe" "$work" \
      -max_total_time="$SECONDS_EACH" "${max_len[@]}" -timeout=5 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$artifacts/" >"$log" 2>&1; } 2>"$base/time-$t"
  rc=$?
  set -e
  read -r wall cpu_user cpu_sys <"$base/time-$t" || true

  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n1)
  corpus_n=$(find "$work" -type f | wc -l)
  if [[ $rc -ne 0 || -z "$execs" ]]; then
    failed+=("$t")
    echo "!! fuzz $t FAILED (exit $rc); log: $log" >&2
    # The report is the useful part: sanitizer output, the input and its bytes.
    grep -E -A40 'ERROR: |runtime error|velloran fuzz check failed|ALARM|Test unit written|==[0-9]+==' "$log" | head -n 120 >&2 || tail -n 60 "$log" >&2
  fi
  rate=$(awk -v n="${execs:-0}" -v w="${wall:-0}" -v u="${cpu_user:-0}" -v s="${cpu_sys:-0}" \
    'BEGIN { printf "%d/s, %d per CPU second", (w > 0 ? n / w : 0), (u + s > 0 ? n / (u + s) : 0) }')
  line="fuzz $t: executions ${execs:-?} ($rate), corpus $corpus_n, exit $rc"
  summary+=("$line")
  echo "$line"
done

echo
echo "== fuzz summary (${SECONDS_EACH}s per target)"
printf '%s\n' "${summary[@]}"
if [[ ${#failed[@]} -gt 0 ]]; then
  echo "fuzz: FAILED: ${failed[*]} (inputs in $BUILD/artifacts/)" >&2
  exit 1
fi
