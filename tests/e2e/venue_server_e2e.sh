#!/usr/bin/env bash
# End-to-end check of two doors sharing one venue server: a throwaway PostgreSQL cluster (loopback and a
# Unix socket only) with the kestrin schema, its roles and the venue "north", and two real stations under
# one Xvfb + openbox, each with its own hive, log folder and embedded outbox, the same "Venue", "Venue
# Database" and "Venue Key File". Two cards read OK at both doors (their events reach the server); one
# banned at door A through its Venue menu, the other with kestrin-venue as the venue's login, each then
# shows BANNED (red) at door B. A screenshot of door B's verdict goes to the artefacts folder.
#
# usage: venue_server_e2e.sh <kestrin executable> <kestrin-venue executable> <folder of stripe scans>
#        <artefacts folder>
set -uo pipefail
# shellcheck source=../support/e2e.sh
source "$(dirname "$0")/../support/e2e.sh"

kestrin=$1
venue=$2
card_one=$3/non_expiring.txt
card_two=$3/thirteen_character_city.txt
artifacts=$4
mkdir -p "$artifacts"
rm -f "$artifacts"/*.png

cluster_script="$(dirname "$0")/../venue/pg-cluster.sh"
if ! "$cluster_script" available; then
    echo "SKIP: PostgreSQL server binaries (initdb, pg_ctl) are not installed"
    exit 0
fi

e2e_begin
# A short folder of its own for the cluster (the socket's path is limited; the postgres account owns it).
cluster=$(mktemp -d /tmp/kpg-XXXXXX)
e2e_cleanup_hook() { "$cluster_script" destroy "$cluster" 2>/dev/null; }

port=$("$cluster_script" create "$cluster") || { echo "FAIL: the cluster did not start"; cat "$cluster/log"; exit 1; }
admin="host=$cluster port=$port user=postgres"
psql_admin() { psql -X -q -v ON_ERROR_STOP=1 "$admin dbname=kestrin" "$@" >/dev/null; }
psql -X -q -v ON_ERROR_STOP=1 "$admin dbname=postgres" -c "CREATE DATABASE kestrin" >/dev/null \
    || { echo "FAIL: CREATE DATABASE"; exit 1; }
"$venue" --db "$admin dbname=kestrin" init --roles >/dev/null || { echo "FAIL: kestrin-venue init --roles"; exit 1; }
psql_admin -c "CREATE ROLE venue_north LOGIN IN ROLE kestrin_station" \
    -c "SELECT kestrin.add_venue('north', 'chain', 'venue_north')" || { echo "FAIL: the venue's set-up"; exit 1; }
door_db="host=127.0.0.1 port=$port dbname=kestrin user=venue_north connect_timeout=2"

# ---- two doors: a hive and log folder each, one identity key for both
key="$work/venue.key"
"$venue" key new --file "$key" >/dev/null || { echo "FAIL: kestrin-venue key new"; exit 1; }
for door in a b; do
    mkdir -p "$work/$door/logs"
    write_hive "$work/$door/registry.reg" "Log Folder=$work/$door/logs" "Log Name=Kestrin Log" "Log Number=dword:1" \
        "Valid Age=dword:21" "Enable Ontop=dword:0" "Enable Comments=dword:0" "Venue=north" \
        "Station Name=door-$door" "Venue Database=$door_db" "Venue Key File=$key"
done

start_x11_session

# Starts door $1 with its trace in $work/$1/trace.log; sets `window` to its window, one not in $2.
start_door() {
    local door=$1 other=${2:-none}
    window=""
    KESTRIN_REGISTRY="$work/$door/registry.reg" KESTRIN_TRACE=1 QT_QPA_PLATFORM=xcb "$kestrin" \
        >/dev/null 2>"$work/$door/trace.log" &
    station_pid+=($!)
    for _ in $(seq 100); do
        window=$(xdotool search --onlyvisible --name '^Orbelon Kestrin$' 2>/dev/null | grep -vx -- "$other" | head -n1)
        [ -n "$window" ] && return 0
        sleep 0.1
    done
    return 1
}
activate() {
    for _ in $(seq 50); do
        xdotool windowactivate "$1" 2>/dev/null
        sleep 0.1
        [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ] && return 0
    done
    return 1
}
# Waits (at most 10 s) until door $1's trace has a line matching $2 after its line $3.
wait_trace() {
    for _ in $(seq 400); do
        tail -n +"$(($3 + 1))" "$work/$1/trace.log" | grep -q -- "$2" && return 0
        sleep 0.025
    done
    return 1
}
lines_of() { wc -l <"$work/$1/trace.log"; }
swipe() { # <window> <scan file>
    activate "$1" || fail "door window $1 never became active"
    xdotool type --delay 2 --window "$1" "$(tr -d '\n' <"$2")"
    xdotool key --window "$1" Return
}
has_colour() {
    local histogram
    histogram=$(convert "$1" -format %c histogram:info:- 2>/dev/null)
    grep -qi -- "$2" <<<"$histogram"
}

# kestrin-venue with door A's hive: its venue, its server login, the shared key.
at_door_a() { KESTRIN_REGISTRY="$work/a/registry.reg" "$venue" "$@"; }

station_pid=()
start_door a
window_a=$window
[ -n "$window_a" ] || { echo "FAIL: no window for door A"; cat "$work/a/trace.log"; exit 1; }
wait_trace a 'paint Ready' 0 || fail "door A never painted \"Ready!\""
start_door b "$window_a"
window_b=$window
[ -n "$window_b" ] || { echo "FAIL: no window for door B"; cat "$work/b/trace.log"; exit 1; }
wait_trace b 'paint Ready' 0 || fail "door B never painted \"Ready!\""
# Side by side, so that neither covers the other's verdict.
xdotool windowmove "$window_a" 0 0 2>/dev/null
xdotool windowmove "$window_b" 512 0 2>/dev/null

# ---- door A: the first card reads OK, and its event goes up to the server
from=$(lines_of a)
swipe "$window_a" "$card_one"
wait_trace a 'venue event ok stored' "$from" && pass "door A: the card reads OK, its event stored" \
    || fail "door A stored no OK event"
uploaded=""
for _ in $(seq 100); do
    at_door_a scans --json 2>/dev/null | grep -q '"station":"door-a"' && { uploaded=1; break; }
    sleep 0.1
done
[ -n "$uploaded" ] && pass "door A's event is on the server" || fail "door A's event never reached the server"

# ---- door B before any entry: both cards read OK there
for card in "$card_one" "$card_two"; do
    from=$(lines_of b)
    swipe "$window_b" "$card"
    wait_trace b 'venue event ok stored' "$from" && pass "door B before the bans: OK for $(basename "$card")" \
        || fail "door B: not OK before the bans for $(basename "$card")"
done

# ---- the ban at door A, through its Venue menu: F9, "Ban Last Card...", its defaults (violence, a year)
activate "$window_a" || fail "door A never became active"
xdotool key --window "$window_a" F9
sleep 0.5
xdotool key Return
if dialog=$(find_window '^Ban Last Card$' 10); then
    activate "$dialog" >/dev/null
    xdotool key Return
else
    fail "\"Ban Last Card...\" opened no dialog at door A"
fi
entries=""
for _ in $(seq 100); do
    entries=$(at_door_a list --json 2>/dev/null)
    [ -n "$entries" ] && break
    sleep 0.1
done
[ "$(grep -c . <<<"$entries")" = 1 ] && grep -q '"createdBy":"door-a ' <<<"$entries" \
    && grep -q '"list":"banned"' <<<"$entries" && pass "door A's ban is on the server, made by door-a" \
    || fail "the server's entries: $entries"
# Door B learns of it by the server's hint, well within a second; give it two on a loaded machine.
sleep 2

from=$(lines_of b)
swipe "$window_b" "$card_one"
if wait_trace b 'venue event banned stored' "$from"; then pass "door B: the card banned at door A is BANNED"; else
    fail "door B did not show BANNED for the card banned at door A"
fi
sleep 0.5
activate "$window_b" >/dev/null
import -window "$window_b" "$artifacts/door-b-banned.png" 2>/dev/null
has_colour "$artifacts/door-b-banned.png" '#C80000' && pass "door B's verdict is red" || fail "no verdict red at door B"

# ---- the second card banned with kestrin-venue as the venue's login, keyed with the shared key
id=$(at_door_a ban add --scan "$card_two" --reason theft --until "$(date -d '+30 days' +%F)" --note "till")
status=$?
[ "$status" = 0 ] && [ -n "$id" ] && pass "kestrin-venue ban add as the venue's login: $id" \
    || fail "kestrin-venue ban add gave $status"
sleep 2
from=$(lines_of b)
swipe "$window_b" "$card_two"
if wait_trace b 'venue event banned stored' "$from"; then pass "door B: the card banned with kestrin-venue is BANNED"; else
    fail "door B did not show BANNED for the card banned with kestrin-venue"
fi

# The upload may trail the verdict by a moment.
stored=""
for _ in $(seq 50); do
    lines=$(at_door_a scans --json 2>/dev/null)
    [ "$(grep '"station":"door-b"' <<<"$lines" | grep -c '"verdict":"banned"')" = 2 ] && { stored=1; break; }
    sleep 0.1
done
[ -n "$stored" ] && pass "the server has door B's two banned events" || fail "the server's events: $lines"

if [ "$failures" != 0 ]; then
    echo "$failures failure(s)"
    for door in a b; do
        echo "--- door $door"
        grep -i -e venue -e paint -e error "$work/$door/trace.log" | tail -n 40
    done
    exit 1
fi
echo "all two-door venue server checks passed"
