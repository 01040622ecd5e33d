# shellcheck shell=bash
# What every end-to-end script starts with: a work folder that goes at exit with every process the script
# started, pass and fail counting, a clock in milliseconds and the settings hive writer; and, sourced from
# here, the X11 session (x11-session.sh) and the window search (find-window.sh).
#
#   e2e_begin                         makes $work; at exit ends $station_pid and ${pids[@]}, removes $work
#   e2e_cleanup_hook                  defined by a script that needs more at exit: runs first
#   write_hive FILE "Name=value"...   a hive with the station's key, written whole by rename; a value
#                                     "dword:N" (N decimal) is a number, anything else a text

work=""
pids=()
station_pid=""
failures=0

e2e_cleanup() {
    declare -F e2e_cleanup_hook >/dev/null && e2e_cleanup_hook
    for pid in ${station_pid[@]+"${station_pid[@]}"} ${pids[@]+"${pids[@]}"}; do
        [ -n "$pid" ] && kill "$pid" 2>/dev/null
    done
    wait 2>/dev/null
    [ -n "$work" ] && rm -rf "$work"
}

e2e_begin() {
    work=$(mktemp -d)
    trap e2e_cleanup EXIT
}

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
now_ms() { date +%s%3N; }

write_hive() {
    local file=$1
    shift
    local tmp="$file.tmp.$$" entry name value
    {
        printf 'Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orbelon\\Kestrin]\n'
        for entry in "$@"; do
            name=${entry%%=*}
            value=${entry#*=}
            if [[ $value =~ ^dword:(-?[0-9]+)$ ]]; then
                printf '"%s"=dword:%08x\n' "$name" "$((BASH_REMATCH[1] & 0xFFFFFFFF))"
            else
                value=${value//\\/\\\\}
                printf '"%s"="%s"\n' "$name" "${value//\"/\\\"}"
            fi
        done
    } >"$tmp" && mv "$tmp" "$file"
}

support=$(dirname "${BASH_SOURCE[0]}")
# shellcheck source=x11-session.sh
source "$support/x11-session.sh"
# shellcheck source=find-window.sh
source "$support/find-window.sh"
