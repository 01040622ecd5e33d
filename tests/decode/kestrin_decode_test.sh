#!/usr/bin/env bash
# Runs kestrin-decode on the fixtures and checks the exact output bytes, the exit codes, the messages on
# standard error and the unknown-swipe file.
# Usage: kestrin_decode_test.sh <kestrin-decode> <fixture folder>
set -u
tool=$1
data=$2
now="2007-03-10 14:05:33"
failures=0
work=$(mktemp -d /tmp/kestrin-decode-test.XXXXXX)
trap 'rm -rf "$work"' EXIT

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# expect <name> <expected status> <expected stdout file> -- <arguments...>; stdin from $input (or /dev/null)
expect() {
    local name=$1 status=$2 expected=$3
    shift 4
    local got=0
    "$tool" "$@" <"${input:-/dev/null}" >"$work/out" 2>"$work/err" || got=$?
    [ "$got" -eq "$status" ] || fail "$name: exit status $got, expected $status"
    cmp -s "$work/out" "$expected" || { fail "$name: output differs"; diff "$expected" "$work/out" | head -5 >&2; }
    if [ "$status" -ne 2 ] && [ -s "$work/err" ]; then fail "$name: unexpected message: $(cat "$work/err")"; fi
}

# usage_error <name> <arguments...>: status 2, nothing on standard output, a message on standard error
usage_error() {
    local name=$1
    shift
    local got=0
    "$tool" "$@" </dev/null >"$work/out" 2>"$work/err" || got=$?
    [ "$got" -eq 2 ] || fail "$name: exit status $got, expected 2"
    [ ! -s "$work/out" ] || fail "$name: wrote to standard output"
    [ -s "$work/err" ] || fail "$name: no message on standard error"
}

printf 'Unknown DL\n' >"$work/unknown.row"
printf '{"error":"Unknown DL"}\n' >"$work/unknown.json"
: >"$work/empty"

expect "row from a file" 0 "$data/three_tracks.row" -- --now "$now" --no-unknown-file "$data/three_tracks.txt"
input="$data/three_tracks.txt" expect "row from standard input" 0 "$data/three_tracks.row" -- --now "$now" --no-unknown-file
expect "json" 0 "$data/three_tracks.json" -- --json --now "$now" --no-unknown-file "$data/three_tracks.txt"
expect "bytes map to code points, controls escaped" 0 "$data/latin1_name.json" -- --now "$now" --json --no-unknown-file "$data/latin1_name.txt"
expect "batch rows, one unknown" 1 "$data/batch.rows" -- --batch --now "$now" --no-unknown-file "$data/batch.bin"
expect "batch json" 1 "$data/batch.json" -- --now "$now" --batch --json --no-unknown-file "$data/batch.bin"
{ printf 'x\0'; cat "$data/three_tracks.txt"; } >"$work/nul_first.bin"
expect "without batch the NUL bytes belong to one scan" 1 "$work/unknown.row" -- --now "$now" --no-unknown-file "$work/nul_first.bin"
input=/dev/null expect "empty scan is unknown" 1 "$work/unknown.json" -- --json --no-unknown-file
input=/dev/null expect "empty batch has no scans" 0 "$work/empty" -- --batch --no-unknown-file
printf 'x\0' >"$work/one.bin"
expect "final NUL ends the last scan" 1 "$work/unknown.row" -- --batch --no-unknown-file "$work/one.bin"
expect "options after the file" 0 "$data/three_tracks.row" -- "$data/three_tracks.txt" --no-unknown-file --now "$now"
input="$data/three_tracks.txt" expect "- is standard input, --now=T" 0 "$data/three_tracks.row" -- --now="$now" --no-unknown-file -
expect "an AAMVA barcode gives its golden JSON" 0 "$data/aamva/v10.json" -- --json --now "2026-03-10 14:05:33" --no-unknown-file "$data/aamva/v10.txt"

# Run-together elements that split two ways with different birth dates: unknown, the reason on standard
# error and, with --json, among the warnings.
ambiguous="$data/aamva_run_together/two_readings_birth_date.txt"
# ambiguous_split <name> <expected stdout file> <arguments...>
ambiguous_split() {
    local name=$1 expected=$2
    shift 2
    local got=0
    "$tool" "$@" --no-unknown-file "$ambiguous" >"$work/out" 2>"$work/err" || got=$?
    [ "$got" -eq 1 ] || fail "$name: exit status $got, expected 1"
    cmp -s "$work/out" "$expected" || fail "$name: output differs: $(cat "$work/out")"
    grep -q '^kestrin-decode: ambiguous-split: .*birth date' "$work/err" || fail "$name: no reason on standard error"
}
ambiguous_split "ambiguous split, row" "$work/unknown.row"
ambiguous_split "ambiguous split, json" "$data/aamva_run_together/two_readings_birth_date.json" --json

# --now decides the scan time; without it the clock is the system's.
"$tool" --now "2005-01-02 09:05:03" --no-unknown-file "$data/three_tracks.txt" >"$work/out"
case $(cat "$work/out") in
'"Sun Jan 02 09:05:03 2005",'*',"1/2/2005","9:5:3"') ;;
*) fail "--now: $(cat "$work/out")" ;;
esac
"$tool" --no-unknown-file "$data/three_tracks.txt" >"$work/out" || fail "system clock: status $?"
grep -q "\"$(date +%-m/%-d/%Y)\"" "$work/out" || fail "system clock: no date of today in $(cat "$work/out")"

usage_error "unknown option" --frobnicate "$data/three_tracks.txt"
usage_error "--now without a value" --now
usage_error "--now not a time" --now "2007-03-10" "$data/three_tracks.txt"
usage_error "--now not a date" --now "2007-02-30 10:00:00" "$data/three_tracks.txt"
usage_error "--now hour 24" --now "2007-02-01 24:00:00" "$data/three_tracks.txt"
usage_error "two files" "$data/three_tracks.txt" "$data/barcode.txt"
usage_error "standard input and a file" - "$data/barcode.txt"
usage_error "--now= not a time" --now=yesterday "$data/three_tracks.txt"
usage_error "missing file" "$work/does-not-exist"
usage_error "a folder" "$work"
got=0
"$tool" --no-unknown-file "$data/three_tracks.txt" >/dev/full 2>"$work/err" || got=$?
[ "$got" -eq 2 ] && [ -s "$work/err" ] || fail "full disk: exit status $got, message [$(cat "$work/err")]"
"$tool" --help >"$work/out" 2>&1 || fail "--help: exit status $?"
grep -q '^usage: kestrin-decode \[--now "YYYY-MM-DD HH:MM:SS"\] \[--json\] \[--batch\] \[--no-unknown-file\] \[FILE\]$' "$work/out" ||
    fail "--help: $(head -1 "$work/out")"

"$tool" --version >"$work/out" 2>&1 || fail "--version: exit status $?"
grep -qx 'kestrin-decode [0-9.]*' "$work/out" || fail "--version: $(cat "$work/out")"

# The unknown-swipe file: appended as the station does, in the log folder of the settings hive (or the
# fallback folder "My Log Files" in the start directory when the hive cannot be read).
mkdir -p "$work/run"
printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orbelon\\Kestrin]\r\n"Log Folder"="%s"\r\n' \
    "$work/run/logs" >"$work/run/registry.reg"
(
    cd "$work/run" || exit 1
    export KESTRIN_REGISTRY="$work/run/registry.reg"
    printf 'a\r\nb' | "$tool" >/dev/null
    printf 'x\0;?\0' | "$tool" --batch --no-unknown-file >/dev/null
    printf 'one\0two' | "$tool" --batch >/dev/null
    "$tool" "$data/three_tracks.txt" >/dev/null
)
printf 'a\nb\n\none\n\ntwo\n\n' >"$work/expected_unknown"
found=$(find "$work/run" -name unknowndl.txt)
case $found in
"$work/run/logs/unknowndl.txt" | "$work/run/My Log Files/unknowndl.txt")
    cmp -s "$found" "$work/expected_unknown" || fail "unknown-swipe file content: $(od -c "$found" | head -3)"
    [ "$(stat -c %a "$found")" = 660 ] || fail "unknown-swipe file mode $(stat -c %a "$found")"
    ;;
*) fail "unknown-swipe file not where expected: [$found]" ;;
esac

# A payment card swiped by mistake is unknown, and its number is kept masked, its other track data dropped.
rm -rf "$work/run/logs"
(
    export KESTRIN_REGISTRY="$work/run/registry.reg"
    printf '%%B4111111111111111^DOE/JOHN^29121010000?;4111111111111111=2912101?' | "$tool" >"$work/out"
)
[ "$(cat "$work/out")" = "Unknown DL" ] || fail "payment card: $(cat "$work/out")"
printf '%%B411111******1111?;411111******1111?\n\n' >"$work/expected_masked"
cmp -s "$work/run/logs/unknowndl.txt" "$work/expected_masked" ||
    fail "payment card in the unknown-swipe file: $(cat "$work/run/logs/unknowndl.txt" 2>&1)"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "all kestrin-decode checks passed"
