#!/usr/bin/env bash
# End-to-end check of the venue at one door: the real station under Xvfb + openbox with its embedded
# venue store, and kestrin-venue beside it. A card scanned before any entry reads OK; a ban that
# kestrin-venue adds to the running door's store holds there two seconds later (BANNED, red), with the
# repeat line of the first scan; both events are in the store, without the name or the number; F9 opens
# the Venue menu. A screenshot of the BANNED verdict goes to the artefacts folder.
#
# usage: venue_e2e.sh <kestrin executable> <kestrin-venue executable> <card scan> <artefacts folder>
set -uo pipefail
# shellcheck source=../support/x11-session.sh
source "$(dirname "$0")/../support/x11-session.sh"
# shellcheck source=../support/find-window.sh
source "$(dirname "$0")/../support/find-window.sh"

kestrin=$1
venue=$2
scan=$3
artifacts=$4
mkdir -p "$artifacts"

work=$(mktemp -d)
pids=()
station_pid=""
failures=0
cleanup() {
    [ -n "$station_pid" ] && kill "$station_pid" 2>/dev/null
    [ ${#pids[@]} -gt 0 ] && kill "${pids[@]}" 2>/dev/null
    wait 2>/dev/null
    [ -n "${KEEP_WORK:-}" ] && echo "work kept: $work" || rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

start_x11_session

hive="$work/registry.reg"
cat >"$hive" <<HIVE
Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orbelon\\Kestrin]
"Log Folder"="$work/logs"
"Log Name"="Kestrin Log"
"Log Number"=dword:00000001
"Valid Age"=dword:00000015
"Enable Ontop"=dword:00000000
"Enable Comments"=dword:00000000
"Venue"="north"
"Station Name"="front-door"
"Repeat Minutes"=dword:0000000a
HIVE
export KESTRIN_REGISTRY="$hive"
"$venue" key new >/dev/null || fail "kestrin-venue key new"

trace="$work/trace.log"
KESTRIN_TRACE=1 QT_QPA_PLATFORM=xcb "$kestrin" 2>"$trace" &
station_pid=$!
window=$(find_window '^Orbelon Kestrin$' 10)
if [ -z "$window" ]; then echo "FAIL: no station window"; cat "$trace"; exit 1; fi
for _ in $(seq 50); do
    xdotool windowactivate "$window" 2>/dev/null
    sleep 0.1
    [ "$(xdotool getactivewindow 2>/dev/null)" = "$window" ] && break
done

wait_trace() {
    for _ in $(seq 200); do
        grep -q -- "$1" "$trace" && return 0
        sleep 0.025
    done
    return 1
}
swipe() {
    xdotool type --delay 2 --window "$window" "$(tr -d '\n' <"$scan")"
    xdotool key --window "$window" Return
}
has_colour() {
    local histogram
    histogram=$(convert "$1" -format %c histogram:info:- 2>/dev/null)
    grep -qi -- "$2" <<<"$histogram"
}

wait_trace 'paint Ready' || fail "\"Ready!\" never painted"
swipe
wait_trace 'venue event ok stored' && pass "first scan: an OK event stored" || fail "no OK event stored"

# The ban goes into the running door's store from outside; two seconds on it must hold.
"$venue" ban add --state AZ --number 3300456 --reason violence --until "$(date -d '+30 days' +%F)" \
    --note "fight at the bar" >/dev/null || fail "kestrin-venue ban add"
sleep 2
swipe
if wait_trace 'venue event banned stored'; then pass "two seconds after kestrin-venue's ban: BANNED"; else
    fail "the ban did not hold within 2 s"
fi
sleep 0.5
import -window "$window" "$artifacts/venue-banned.png" 2>/dev/null
has_colour "$artifacts/venue-banned.png" '#C80000' && pass "the verdict is red" || fail "no verdict red"

lines=$("$venue" scans --json)
status=$?
[ "$status" = 0 ] && [ "$(grep -c . <<<"$lines")" = 2 ] && pass "kestrin-venue scans: two events" \
    || fail "kestrin-venue scans gave $status and: $lines"
grep -q '"verdict":"banned"' <<<"$lines" && grep -q '"station":"front-door"' <<<"$lines" \
    && pass "the second event is banned, at front-door" || fail "events: $lines"
for secret in ORTIZ DANIEL 3300456 CAMELBACK; do
    if grep -aq "$secret" "$work"/venue.db*; then fail "venue.db holds $secret"; fi
done
pass "venue.db holds neither the name nor the licence number"

xdotool key --window "$window" F9
sleep 0.5
if xdotool search --onlyvisible --class kestrin 2>/dev/null | grep -vq "^$window$"; then
    pass "F9 opened the Venue menu"
else
    fail "F9 opened no menu"
fi
xdotool key Escape

[ "$failures" = 0 ] || { echo "$failures failure(s)"; sed -n '1,200p' "$trace" | grep -i venue; exit 1; }
echo "all venue end-to-end checks passed"
