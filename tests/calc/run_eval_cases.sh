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
echo "velquor-eval: all cases pass"
