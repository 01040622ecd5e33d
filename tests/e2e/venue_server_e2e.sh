#!/usr/bin/env bash
# End-to-end check of two doors sharing one venue server: a throwaway PostgreSQL cluster (loopback and a
# Unix socket only) with the kestrin schema, its roles and the venue "north", and two real stations under
# one Xvfb + openbox, each with its own hive, log folder and embedded outbox, the same "Venue", "Venue
# Database" and "Venue Key File". A card swiped at door A reads OK and its event reaches the server; a ban
# that kestrin-venue adds for that card as the venue's login turns door B's OK for it into BANNED (red). A screenshot
# of door B's verdict goes to the artefacts folder.
#
# usage: venue_server_e2e.sh <kestrin executable> <kestrin-venue executable> <card scan> <artefacts folder>
set -uo pipefail
# shellcheck source=../support/e2e.sh
source "$(dirname "$0")/../support/e2e.sh"

kestrin=$1
venue=$2
scan=$3
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
swipe() { # <window>
    activate "$1" || fail "door window $1 never became active"
    xdotool type --delay 2 --window "$1" "$(tr -d '\n' <"$scan")"
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

# ---- door A: the card reads OK, and its event goes up to the server
from=$(lines_of a)
swipe "$window_a"
wait_trace a 'venue event ok stored' "$from" && pass "door A: the card reads OK, its event stored" \
    || fail "door A stored no OK event"
uploaded=""
for _ in $(seq 100); do
    at_door_a scans --json 2>/dev/null | grep -q '"station":"door-a"' && { uploaded=1; break; }
    sleep 0.1
done
[ -n "$uploaded" ] && pass "door A's event is on the server" || fail "door A's event never reached the server"

# ---- door B before any entry: the same card reads OK there too
from=$(lines_of b)
swipe "$window_b"
wait_trace b 'venue event ok stored' "$from" && pass "door B before the ban: OK" || fail "door B: not OK before the ban"

# ---- the ban, as the venue's login, keyed with the shared key
id=$(at_door_a ban add --scan "$scan" --reason violence \
    --until "$(date -d '+30 days' +%F)" --note "fight at the bar")
status=$?
[ "$status" = 0 ] && [ -n "$id" ] && pass "kestrin-venue ban add as door A's login: $id" \
    || fail "kestrin-venue ban add gave $status"
# Door B learns of it by the server's hint, well within a second; give it three on a loaded machine.
sleep 3

# ---- door B: the same card is BANNED there
from=$(lines_of b)
swipe "$window_b"
if wait_trace b 'venue event banned stored' "$from"; then pass "door B: the card banned at door A's login is BANNED"; else
    fail "door B did not show BANNED"
fi
wait_trace b 'paint' "$from" || true
sleep 0.5
activate "$window_b" >/dev/null
import -window "$window_b" "$artifacts/door-b-banned.png" 2>/dev/null
has_colour "$artifacts/door-b-banned.png" '#C80000' && pass "door B's verdict is red" || fail "no verdict red at door B"

# The upload may trail the verdict by a moment.
stored=""
for _ in $(seq 50); do
    lines=$(at_door_a scans --json 2>/dev/null)
    grep '"station":"door-b"' <<<"$lines" | grep -q '"verdict":"banned"' && { stored=1; break; }
    sleep 0.1
done
[ -n "$stored" ] && pass "the server has door B's banned event" || fail "the server's events: $lines"

if [ "$failures" != 0 ]; then
    echo "$failures failure(s)"
    for door in a b; do
        echo "--- door $door"
        grep -i -e venue -e paint -e error "$work/$door/trace.log" | tail -n 40
    done
    exit 1
fi
echo "all two-door venue server checks passed"
