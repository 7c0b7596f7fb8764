#!/usr/bin/env bash
# Runs velquor-eval --batch over a table whose first column is the exact expected output and
# whose other columns are one batch line; then checks the handling of malformed lines.
#   run_eval_cases.sh VELQUOR_EVAL CASES.tsv
set -euo pipefail
tool=$1
cases=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cut -f1 "$cases" >"$work/expected"
cut -f2- "$cases" | "$tool" --batch >"$work/actual"
if ! diff -u "$work/expected" "$work/actual"; then
    echo "velquor-eval output differs from the table" >&2
    exit 1
fi

printf 'x\t1\t0\t0\t0\nx\t2\n2x\tq\t0\t0\t0\nx\t3\t0\t0\t0\tnoequals\nx\t4\t0\t0\t0\n' \
    | { "$tool" --batch >"$work/out" 2>"$work/err" && status=0 || status=$?; echo "$status" >"$work/status"; }
printf '1\nerror\nerror\nerror\n4\n' | diff -u - "$work/out"
[ "$(cat "$work/status")" = 2 ] || { echo "exit status $(cat "$work/status"), expected 2" >&2; exit 1; }
for line in 2 3 4; do
    grep -q "line $line:" "$work/err" || { echo "no message for line $line" >&2; exit 1; }
done
single=$("$tool" -a 3 -b 0.5 'xsin(x)+a' 0 2)
[ "$single" = $'3\n4.81859485365136339064' ] || { echo "single form gave: $single" >&2; exit 1; }

# The analysis forms: zeros and extrema refined to the last bit, one value per line.
expect_lines() { # NAME EXPECTED ARGS...
    local name=$1 expected=$2
    shift 2
    local actual
    actual=$("$tool" "$@") || { echo "$name: exit status $?" >&2; exit 1; }
    [ "$actual" = "$expected" ] || { echo "$name gave: $actual" >&2; exit 1; }
}
expect_lines "roots of x^2-2" $'-1.41421356237309504876\n1.41421356237309504876' --roots -10 10 'x^2-2'
expect_lines "roots of sin" $'-9.42477796076937971576\n-6.28318530717958647703\n-3.14159265358979323851\n0\n3.14159265358979323851\n6.28318530717958647703\n9.42477796076937971576' \
    --roots -10 10 'sin(x)'
expect_lines "roots of tan (poles left out)" $'-3.14159265358979323851\n0\n3.14159265358979323851' --roots -5 5 'tan(x)'
expect_lines "extrema in degrees" $'90\n270' --degree --extrema 0 360 'sin(x)'
expect_lines "roots with a and a call" $'-1.41421356237309504876\n1.41421356237309504876' \
    -a 2 --func f=xx --roots -3 3 'f(x)-a'
expect_lines "a formula without value" '' --roots -5 5 '1/0'
for bad in "--roots 1 0 x" "--roots q 1 x" "--roots 0 1" "--roots 0 1 x 3" "--extrema 0"; do
    # shellcheck disable=SC2086 # the words are the arguments
    if "$tool" $bad >/dev/null 2>"$work/err"; then
        echo "velquor-eval $bad should fail" >&2
        exit 1
    fi
    [ -s "$work/err" ] || { echo "velquor-eval $bad gave no message" >&2; exit 1; }
done
echo "velquor-eval: all cases pass"
