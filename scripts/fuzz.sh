#!/usr/bin/env bash
# Runs every fuzz target (fuzz/) for SECONDS each (default 60) under AddressSanitizer and
# UndefinedBehaviorSanitizer, in the checking build (build-asan/). Each starts from its seeds
# and from the inputs that once found a fault (fuzz/regressions/<target>/*.hex); the corpus
# grows in build-asan/fuzz-corpus/<target>/. A finding is written to
# build-asan/fuzz-findings/: keep it as fuzz/regressions/<target>/<name>.hex once mended.
#   bash scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
[ $# -gt 0 ] && shift
bash scripts/build.sh --sanitize
source scripts/sanitizers.sh
export ALSOFT_DRIVERS=null
root="$PWD"
cd build-asan
targets=("$@")
# By default every target the build made (fuzz/targets.h lists them) but the two that hold the
# browser's decoders against the desktop's: stb_image and stb_vorbis still part from libpng and
# libvorbis on some hostile files (docs/hacking.md), which the browser never reads (its pictures
# and sounds come from the same host as its code). Name them to run them.
if [ ${#targets[@]} -eq 0 ]; then
  for f in fuzz/fuzz_*; do
    t="${f#fuzz/fuzz_}"
    [ -x "$f" ] && [ "$t" != stbpng ] && [ "$t" != stbogg ] && targets+=("$t")
  done
fi
mkdir -p fuzz-findings
passed=0
failed=0
for t in "${targets[@]}"; do
  corpus="fuzz-corpus/$t"
  mkdir -p "$corpus"
  VARNHOLD_FUZZ_SEEDS="$corpus" "./fuzz/fuzz_$t"
  if [ -d "$root/fuzz/regressions/$t" ]; then
    python3 - "$root/fuzz/regressions/$t" "$corpus" <<'PY'
import pathlib, re, sys
src, dst = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
for f in src.glob("*.hex"):
    text = "".join(line.split("#")[0] for line in f.read_text().splitlines())
    (dst / ("regression-" + f.stem)).write_bytes(bytes.fromhex(re.sub(r"[^0-9a-fA-F]", "", text)))
PY
  fi
  echo "== fuzz $t for $seconds s"
  if "./fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="fuzz-findings/$t-" "$corpus" 2>"fuzz-findings/$t.log"; then
    grep -E "^stat::number_of_executed_units|^Done" "fuzz-findings/$t.log" || true
    passed=$((passed + 1))
  else
    echo "FINDING in $t:"
    tail -60 "fuzz-findings/$t.log"
    failed=$((failed + 1))
  fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
