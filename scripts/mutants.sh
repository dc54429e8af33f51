#!/usr/bin/env bash
# The mutation check: puts the small faults of scripts/mutants.list into the code one
# at a time, rebuilds only what the named test needs, runs only that test and puts the
# code back. A fault the test does not notice is a promise the tests do not hold.
#
#   scripts/mutants.sh [--tree DIR] [--build DIR] [--only N[,N...]] [--list FILE]
#                      [--out FILE] [--timeout SECONDS]
#
# --tree   the source tree to mutate (default: the repository this script is in). Other
#          people build in the main tree: give a worktree of your own, e.g.
#            git worktree add --detach /work/mut HEAD
#            cmake -S /work/mut -B /work/mut/build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
# --build  its configured build folder (default: TREE/build)
# --only   run only these entries (numbers as printed); the report file is then left alone
# --out    where the table goes (default: docs/MUTANTS.md beside this script), between
#          the markers <!-- mutants:begin --> and <!-- mutants:end -->
#
# A test names a CTest test (run with ctest -R '^name$' in the build folder), or
# tst_browser_engine:function for one function of the engine test on its own X display.
# Builds take /tmp/velloran-build.lock, as every build on the shared machine does.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
tree=$here
build=
only=
list=$here/scripts/mutants.list
out=$here/docs/MUTANTS.md
timeout_s=300

while [[ $# -gt 0 ]]; do
  case $1 in
    --tree) tree=$(cd "$2" && pwd); shift 2 ;;
    --build) build=$2; shift 2 ;;
    --only) only=$2; shift 2 ;;
    --list) list=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    --timeout) timeout_s=$2; shift 2 ;;
    -h|--help) sed -n '2,20p' "$0"; exit 0 ;;
    *) echo "mutants: unknown option $1" >&2; exit 2 ;;
  esac
done
build=${build:-$tree/build}
[[ -f $build/build.ninja || -f $build/Makefile ]] || { echo "mutants: $build is not a configured build folder" >&2; exit 2; }
[[ -f $list ]] || { echo "mutants: no list $list" >&2; exit 2; }

# The list, one entry per block (see the file's head): parsed once into parallel arrays.
ids=() files=() olds=() news=() tests=() promises=()
parse_list() {
  local line id='' file='' old='' new='' test='' promise='' have=0
  flush() {
    if [[ $have -eq 1 ]]; then
      if [[ -z $file || -z $old || -z $test || -z $promise ]]; then
        echo "mutants: entry '$id' lacks file, old, test or promise" >&2; exit 2
      fi
      ids+=("$id") files+=("$file") olds+=("$old") news+=("$new") tests+=("$test") promises+=("$promise")
    fi
    id='' file='' old='' new='' test='' promise='' have=0
  }
  while IFS= read -r line || [[ -n $line ]]; do
    case $line in
      '#'*|'') ;;
      '== '*) flush; id=${line#== }; have=1 ;;
      'file: '*) file=${line#file: } ;;
      'old: '*) old=${line#old: } ;;
      'new: '*) new=${line#new: } ;;
      'new:') new='' ;;
      'test: '*) test=${line#test: } ;;
      'promise: '*) promise=${line#promise: } ;;
      *) echo "mutants: cannot read this line of $list: $line" >&2; exit 2 ;;
    esac
  done <"$list"
  flush
}
parse_list
n=${#ids[@]}

selected=()
if [[ -n $only ]]; then
  IFS=, read -r -a selected <<<"$only"
else
  for ((i = 1; i <= n; ++i)); do selected+=("$i"); done
fi
for k in "${selected[@]}"; do
  [[ $k =~ ^[0-9]+$ && $k -ge 1 && $k -le $n ]] || { echo "mutants: no entry $k (1 to $n)" >&2; exit 2; }
done

# Mutating a file with changes of its own would mix them into the result, and putting
# it back would lose them.
touched=()
for k in "${selected[@]}"; do touched+=("${files[k - 1]}"); done
dirty=$(git -C "$tree" status --porcelain -- "${touched[@]}")
if [[ -n $dirty ]]; then
  echo "mutants: these files have uncommitted changes in $tree; commit or stash them first:" >&2
  echo "$dirty" >&2
  exit 2
fi

# The file being mutated and its saved copy; put back on any exit, Ctrl-C included.
work=$(mktemp -d)
current=
restore() {
  if [[ -n $current ]]; then
    cp "$work/original" "$tree/$current"
    current=
  fi
}
on_exit() {
  restore
  rm -rf "$work"
}
trap on_exit EXIT
trap 'echo "mutants: interrupted; the code is put back" >&2; exit 130' INT TERM

# Replaces the one occurrence of OLD in FILE with NEW; fails when OLD occurs 0 or 2+ times.
mutate() {
  python3 - "$1" "$2" "$3" <<'EOF'
import sys
path, old, new = sys.argv[1:]
text = open(path, encoding='utf-8').read()
count = text.count(old)
if count != 1:
    sys.exit(f"the original text occurs {count} times in {path}, not once: {old!r}")
open(path, 'w', encoding='utf-8').write(text.replace(old, new, 1))
EOF
}

target_of() {
  case $1 in
    e2e_*) echo velloran ;;
    *:*) echo "${1%%:*}" ;;
    *) echo "$1" ;;
  esac
}

run_test() {
  local test=$1 log=$2
  export QTWEBENGINE_DISABLE_SANDBOX=1
  if [[ $test == *:* ]]; then
    local exe function=${test#*:}
    exe=$(find "$build" -type f -name "${test%%:*}" -perm -u+x | head -n1)
    # The timeout goes round the test itself, so a hung test ends and xvfb-run still
    # takes its display down.
    (cd "$build" && QT_QPA_PLATFORM=xcb nice -n 10 xvfb-run -a -s "-screen 0 1280x800x24 -nolisten tcp" \
      timeout -k 10 "$timeout_s" "$exe" "$function") >"$log" 2>&1
  else
    nice -n 10 ctest --test-dir "$build" -R "^${test}\$" --timeout "$timeout_s" --output-on-failure \
      --no-tests=error >"$log" 2>&1
  fi
}

results=() secs=()
start_all=$(date +%s)
for k in "${selected[@]}"; do
  i=$((k - 1))
  file=${files[i]} test=${tests[i]}
  log=$work/log-$k
  t0=$(date +%s)
  cp "$tree/$file" "$work/original"
  current=$file
  if ! err=$(mutate "$tree/$file" "${olds[i]}" "${news[i]}" 2>&1); then
    restore
    echo "mutants: entry $k (${ids[i]}): $err" >&2
    exit 1
  fi
  if ! flock /tmp/velloran-build.lock nice -n 10 cmake --build "$build" --target "$(target_of "$test")" -j2 >"$log" 2>&1; then
    result=build-broken
  elif run_test "$test" "$log"; then
    result=SURVIVED
  elif grep -qE 'Unknown test function|No tests were found' "$log"; then
    # A test that is not there yet catches nothing.
    result=no-test
  else
    result=caught
  fi
  restore
  secs+=($(($(date +%s) - t0)))
  results+=("$result")
  printf '%2d  %-8s %4ss  %-42s %s\n' "$k" "$result" "${secs[-1]}" "$test" "${ids[i]}"
  if [[ $result == SURVIVED ]]; then tail -n 5 "$log" | sed 's/^/      /'; fi
done
total=$(($(date +%s) - start_all))

# The build folder is left built from the code as it is, not from the last fault.
flock /tmp/velloran-build.lock nice -n 10 cmake --build "$build" -j2 >/dev/null 2>&1 || true

caught=0 survived=0 missing=0 broken=0
for r in "${results[@]}"; do
  case $r in
    caught) caught=$((caught + 1)) ;;
    build-broken) broken=$((broken + 1)) ;;
    no-test) survived=$((survived + 1)) missing=$((missing + 1)) ;;
    *) survived=$((survived + 1)) ;;
  esac
done
commit=$(git -C "$tree" rev-parse --short HEAD)
table=$(
  echo "Run of $(date -u '+%Y-%m-%d %H:%M') UTC on commit $commit: ${#results[@]} faults, $caught caught,"
  echo "$survived survived ($missing of them for want of the named test), $broken did not build; $total s in all ($((total / 60)) min $((total % 60)) s)."
  echo
  echo "| # | fault | file | test | result | s |"
  echo "|--:|---|---|---|---|--:|"
  for j in "${!results[@]}"; do
    k=${selected[j]} i=$((${selected[j]} - 1))
    echo "| $k | ${ids[i]}: ${promises[i]//|/\\|} | \`${files[i]}\` | \`${tests[i]}\` | ${results[j]} | ${secs[j]} |"
  done
)
echo
echo "$table"

if [[ -z $only ]]; then
  if [[ -f $out ]] && grep -q '<!-- mutants:begin -->' "$out" && grep -q '<!-- mutants:end -->' "$out"; then
    python3 - "$out" "$table" <<'EOF'
import sys
path, table = sys.argv[1:]
text = open(path, encoding='utf-8').read()
head, rest = text.split('<!-- mutants:begin -->', 1)
_, tail = rest.split('<!-- mutants:end -->', 1)
open(path, 'w', encoding='utf-8').write(head + '<!-- mutants:begin -->\n' + table + '\n<!-- mutants:end -->' + tail)
EOF
  else
    printf '# Mutation check\n\n<!-- mutants:begin -->\n%s\n<!-- mutants:end -->\n' "$table" >"$out"
  fi
  echo "mutants: table written to $out"
fi
[[ $survived -eq 0 && $broken -eq 0 ]]
