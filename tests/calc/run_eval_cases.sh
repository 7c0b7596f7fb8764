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
expect_lines "extrema at the zeros of the exact derivative" $'-0.816496580927726032725\n0.816496580927726032725' \
    --extrema -10 10 'x^3-2x'
expect_lines "derivatives" $'-2\n1\n10' --derivative 'x^3-2x' 0 1 2
expect_lines "derivatives where there is none" $'999999\n-0.25\n999999' --derivative '1/x+0sqrt(x)' 0 2 -1
expect_lines "derivative of a call with a" '8' -a 2 --func f=xx --derivative 'f(ax)' 1
expect_lines "derivative in degrees: pi/180" '0.0174532925199432957691' --degree --derivative 'sin(x)' 0
# Integrals: the value and the error estimate on one line; backwards is negative; a pole or a
# point without value is refused with the reason and exit status 1.
expect_lines "integral of exp" '1.71828182845904523532 3.73e-19' --integral 0 1 'exp(x)'
expect_lines "integral backwards" '-0.333333333333333333342 7.23e-20' --integral 1 0 'x^2'
expect_lines "integral with a call" '1.33333333333333333337 2.89e-19' -a 1 --func f=xx --integral 0 1 'f(x)+a'
for refused in "0 2 tan(x)|x = 1.5707963267949 の付近で発散します" "-1 1 sqrt(x)|x = -1 で値がありません"; do
    read -r from to formula <<<"${refused%%|*}"
    if "$tool" --integral "$from" "$to" "$formula" >"$work/out" 2>"$work/err"; then
        echo "the integral of $formula was not refused" >&2; exit 1
    fi
    [ "$(cat "$work/err")" = "velquor-eval: 積分できません。${refused#*|}" ] && [ ! -s "$work/out" ] \
        || { echo "$formula: $(cat "$work/err")" >&2; exit 1; }
done
"$tool" --integral 0 nan x >/dev/null 2>"$work/err" && { echo "nan was accepted as an end" >&2; exit 1; }
grep -qF "$(printf "'nan' は浮動小数点数ではありません.")" "$work/err" || { echo "nan end: $(cat "$work/err")" >&2; exit 1; }
# An analysis whose formula costs more than a redraw may do stops with what it found, a message
# and exit status 1 (it ran for a minute and a half before it was bounded).
heavy=$(printf 'sin(x)%.0s' $(seq 20000))
if "$tool" --func "g=$heavy" --extrema -10 10 'g(x)+g(x)' >"$work/out" 2>"$work/err"; then
    echo "an analysis beyond its work reported success" >&2; exit 1
fi
grep -qF '計算量が上限を超えたため、解析を途中で打ち切りました' "$work/err" \
    || { echo "no message for the analysis cut short: $(cat "$work/err")" >&2; exit 1; }
for bad in "--roots 1 0 x" "--roots q 1 x" "--roots 0 1" "--roots 0 1 x 3" "--extrema 0"; do
    # shellcheck disable=SC2086 # the words are the arguments
    if "$tool" $bad >/dev/null 2>"$work/err"; then
        echo "velquor-eval $bad should fail" >&2
        exit 1
    fi
    [ -s "$work/err" ] || { echo "velquor-eval $bad gave no message" >&2; exit 1; }
done
# Numbers are read in the strict form: the names of values that C's readers take, hexadecimal
# and text after a NUL byte fail with the conversion message, in every field and option.
float_message() { printf "'%s' は浮動小数点数ではありません." "$1"; }
for text in nan 'nan(123)' NaN inf -inf infinity INFINITY 0x10 1e5000 ''; do
    for option in -a -b; do
        if "$tool" "$option" "$text" a 1 >"$work/out" 2>"$work/err"; then
            echo "$option $text was accepted" >&2; exit 1
        fi
        grep -qF "$(float_message "$text")" "$work/err" || { echo "$option $text: $(cat "$work/err")" >&2; exit 1; }
    done
    "$tool" x "$text" >"$work/out" 2>"$work/err" && { echo "X $text was accepted" >&2; exit 1; }
    grep -qF "$(float_message "$text")" "$work/err" || { echo "X $text: $(cat "$work/err")" >&2; exit 1; }
done
printf 'x\t2\0\t0\t0\t0\nx\t1\tnan\t0\t0\nx\t1\t0\tinf\t0\nx\t1\t0\t0\t1\0\nx\t5\t0\t0\t0\n' \
    | { "$tool" --batch >"$work/out" 2>"$work/err" && status=0 || status=$?; echo "$status" >"$work/status"; }
printf 'error\nerror\nerror\nerror\n5\n' | diff -u - "$work/out"
[ "$(cat "$work/status")" = 2 ] || { echo "exit status $(cat "$work/status"), expected 2" >&2; exit 1; }
printf '%s\n' "velquor-eval: line 1: $(float_message '2\0')" "velquor-eval: line 2: $(float_message nan)" \
    "velquor-eval: line 3: $(float_message inf)" "velquor-eval: line 4: '1\\0' は整数ではありません." \
    | diff -u - "$work/err"

# A huge field is shown cut to 100 characters.
huge=$(head -c 1000000 /dev/zero | tr '\0' '7')
printf 'x\t%sq\t0\t0\t0\n' "$huge" | "$tool" --batch >/dev/null 2>"$work/err" || true
[ "$(cat "$work/err")" = "velquor-eval: line 1: $(float_message "$(printf '7%.0s' $(seq 100))...")" ] \
    || { echo "huge field: $(head -c 300 "$work/err")" >&2; exit 1; }
echo "velquor-eval: all cases pass"
