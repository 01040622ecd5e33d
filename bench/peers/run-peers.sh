#!/usr/bin/env bash
# kestrin-decode --batch against the npm AAMVA parsers, each as a whole process on the same scans repeated
# <count> times (bench/README.md). The parsers are installed into a temporary folder, never into the tree.
#
# usage: run-peers.sh <kestrin-decode> [count]
set -euo pipefail
decode=$(realpath "${1:?usage: run-peers.sh <kestrin-decode> [count]}")
count=${2:-20000}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$work" && npm init -y >/dev/null && npm install --silent aamva parse-usdl aamvajs aamva-parser >/dev/null)
export NODE_PATH="$work/node_modules"

# Runs the command; prints its wall time in seconds and the last line it printed (a peer's count of
# scans parsed and failed; a peer that cannot read a kind of scan is timed all the same).
run() {
    local start end
    start=$(date +%s.%N)
    "$@" >"$work/out" 2>/dev/null || true
    end=$(date +%s.%N)
    printf '%6.2f s  %s' "$(echo "$end - $start" | bc)" "$(tail -n1 "$work/out" | cut -c1-60)"
}

for kind in stripe barcode v10; do
    node "$here/peers.js" --write "$kind" "$count" >"$work/$kind.bin"
    echo "$kind, $count scans:"
    printf '  %-14s %s\n' kestrin-decode "$(run "$decode" --batch --no-unknown-file "$work/$kind.bin")"
    peers=(aamva parse-usdl aamvajs aamva-parser)
    [ "$kind" = stripe ] && peers=(aamva)
    for peer in "${peers[@]}"; do
        printf '  %-14s %s\n' "$peer" "$(run node "$here/peers.js" "$peer" "$kind" "$count")"
    done
done
