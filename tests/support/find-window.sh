# Shell helper for the tests that drive the real station under X: source it.
#
#   find_window <name pattern> [seconds]   the id of the first visible window whose name matches, asked
#                                          again every 0.1 s until it shows or the seconds (10) are up
#
# One `xdotool search --sync` is not enough: it ends at the first X error, and windows that vanish while
# it reads them (a station closing as the next one opens, a dialog's short-lived helper windows) give one.
find_window() {
    local deadline=$((SECONDS + ${2:-10})) found
    while :; do
        found=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1)
        if [ -n "$found" ]; then
            echo "$found"
            return 0
        fi
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}
