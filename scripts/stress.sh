#!/usr/bin/env bash
# Runs the real-window and browser tests several times on a busy machine: JOBS CPU-bound jobs
# per core run beside them the whole time. Each failing test's output is shown as it happens
# (and kept in build/stress/run-K.log); at the end a table says how often each test failed.
# The load jobs are always stopped, also when the run is interrupted.
#   bash scripts/stress.sh                   3 runs at 2 jobs per core, the tests -R 'wtest|btest'
#   bash scripts/stress.sh -n 5 -j 3 -R window.level
# Builds first, as scripts/test.sh does; --no-build runs the tests of build/ and build-web/ as
# they are.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=3 percore=2 pattern='wtest|btest' build=1
while [ $# -gt 0 ]; do
  case "$1" in
    -n) runs="$2"; shift 2 ;;
    -j) percore="$2"; shift 2 ;;
    -R) pattern="$2"; shift 2 ;;
    --no-build) build=0; shift ;;
    *) echo "usage: bash scripts/stress.sh [-n RUNS] [-j JOBS-PER-CORE] [-R REGEX] [--no-build]" >&2; exit 2 ;;
  esac
done
[[ "$runs" =~ ^[1-9][0-9]*$ && "$percore" =~ ^[0-9]+$ ]] || { echo "stress.sh: -n needs 1 or more, -j 0 or more" >&2; exit 2; }
if [ "$build" -eq 1 ]; then
  bash scripts/build.sh
  bash scripts/web.sh
fi

load=()
stopload() {
  local p
  for p in "${load[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${load[@]}"; do wait "$p" 2>/dev/null || true; done
  load=()
}
trap stopload EXIT
trap 'exit 130' INT TERM
jobs=$((percore * $(nproc)))
for _ in $(seq "$jobs"); do
  (exec bash -c 'while :; do :; done') &
  load+=($!)
done
echo "stress: $runs runs of the tests matching '$pattern', beside $jobs CPU-bound jobs ($percore per core)"

export ALSOFT_DRIVERS=null
mkdir -p build/stress
declare -A failed=()
total=0 bad=0
for k in $(seq "$runs"); do
  log="build/stress/run-$k.log"
  echo "---- run $k of $runs (load $(cut -d' ' -f1 /proc/loadavg))"
  # CTest's own status says nothing here: the failures are read from its report.
  (cd build && xvfb-run -a -s "-screen 0 1280x1024x24" \
     ctest --output-on-failure --timeout 600 -R "$pattern") >"$log" 2>&1 || true
  # The failures' own output, as CTest printed it, then the run's summary line.
  awk '/^ *[0-9]+\/[0-9]+ Test +#[0-9]+: / { show = ($0 ~ /\*\*\*(Failed|Timeout)|Exception/) }
       /tests passed, / { show = 0 }
       show && !/^ *Start +[0-9]+: / { print }' "$log"
  grep -E "tests passed|No tests were found" "$log" || { echo "stress: CTest gave no summary (see $log)"; tail -5 "$log"; }
  n=$(grep -cE "^ *[0-9]+/[0-9]+ Test +#" "$log" || true)
  total=$((total + n))
  while read -r name; do
    [ -n "$name" ] || continue
    failed[$name]=$((${failed[$name]:-0} + 1))
    bad=$((bad + 1))
  done < <(sed -n '/The following tests FAILED:/,$p' "$log" | sed -nE 's/^\s*[0-9]+ - (\S+) .*/\1/p')
done

echo "---- stress: $runs runs, $total tests run, $bad failed (load jobs: $jobs, $percore per core)"
for name in "${!failed[@]}"; do echo "  $name: failed ${failed[$name]} of $runs"; done | sort
[ "$bad" -eq 0 ]
