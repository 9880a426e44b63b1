#!/usr/bin/env bash
# The game's code above platform/ (game/, combat/, traffic/, sky/, framework/, app/) calls none of
# the C library's transcendental functions: sin, cos, tan, their inverses and hyperbolic kin,
# exp, log, pow, cbrt, hypot, erf, gamma, in any spelling (std::sin, sinf, ::sin). glibc and the
# browser build's library round them differently in the last bit, and a last bit can decide a
# collision, so the desktop's and the browser's replays of one game would part. The game uses
# trig::sin, trig::cos, trig::atan2 ... (platform/trig.h) instead. sqrt, fmod, fabs, floor,
# ceil, round and trunc stay: IEEE 754 gives them one exact result.
#   bash tests/mathcalls_test.sh SOURCE_DIR        checks the game's folders
#   bash tests/mathcalls_test.sh --self            shows that the check finds what it must
set -euo pipefail
funcs='a?sinh?|a?cosh?|a?tanh?|atan2|exp|exp2|expm1|log|log2|log10|log1p|logb|pow|cbrt|hypot|erfc?|tgamma|lgamma'
# a call: not a member (. ->) nor another namespace's (trig::), not part of a longer name
pattern="(^|[^A-Za-z0-9_.>:]|std::|[^A-Za-z0-9_]::)($funcs)[fl]?[[:space:]]*\\("
# CHECK FILE...: prints each offending line; fails when there is one
check() {
    # comments (// to the end of a line) and string literals are not calls
    local hits
    hits=$(grep -HnE "$pattern" "$@" |
           while IFS= read -r line; do
               code=${line#*:*:}
               code=$(printf '%s' "$code" | sed -E 's#"([^"\\]|\\.)*"#""#g; s#//.*##')
               printf '%s' "$code" | grep -qE "$pattern" && printf '%s\n' "$line"
           done || true)
    [ -z "$hits" ] && return 0
    printf '%s\n' "$hits" | sed 's/$/   <- use trig:: (platform\/trig.h), not the C library/'
    return 1
}
if [ "${1:-}" = "--self" ]; then
    t=$(mktemp -d)
    trap 'rm -rf "$t"' EXIT
    bad=(  'x = std::sin(a);' 'y = cosf (a);' 'z = ::atan2(y, x);' 'w = std::pow(2.0f, k);'
           'v = exp(-t);' 'u = std::hypot(dx, dy);' 'q = 1 + log10(n);' 'r = std::tanh(a);')
    good=( 'x = trig::sin(a);' 'y = trig::atan2(y, x);' 'z = std::sqrt(d);' 'w = std::fmod(r, 360.0f);'
           'v = c.cos(a);' 'u = p->exp(1);' 'q = cosine(a);' 'r = 0;  // not std::sin(a)'
           's = "sin(";' 't = mysin(a);' 'u = std::fabs(std::floor(x));')
    fails=0
    for l in "${bad[@]}"; do
        printf '%s\n' "$l" >"$t/a.cpp"
        check "$t/a.cpp" >/dev/null && { echo "missed: $l"; fails=1; }
    done
    for l in "${good[@]}"; do
        printf '%s\n' "$l" >"$t/a.cpp"
        check "$t/a.cpp" >/dev/null || { echo "refused: $l"; fails=1; }
    done
    exit $fails
fi
cd "${1:-$(dirname "$0")/..}"
check $(find game combat traffic sky framework app -name '*.cpp' -o -name '*.h')
