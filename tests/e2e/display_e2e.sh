#!/usr/bin/env bash
# End-to-end check of the verdict display: the real station under Xvfb (1920 x 1080) + openbox, cards
# typed with xdotool as a reader in keyboard mode would. Keeps a screenshot of each verdict (OK with the
# Comments dialog open, OK, UNDER 21, EXPIRED, unknown, full screen) in the artefacts folder and checks by
# pixels that the verdict's frame has the verdict's colour and that "Unknown DL" is not cut by the
# window's edges; from the station's trace, that the row is written before the verdict is painted, that
# the Comments dialog opens after that paint and clear of the verdict, and that the result stays ten
# seconds from the dialog's close.
#
# usage: display_e2e.sh <kestrin executable> <artefacts folder>
set -uo pipefail
# shellcheck source=../support/e2e.sh
source "$(dirname "$0")/../support/e2e.sh"

kestrin=$1
artifacts=$2
mkdir -p "$artifacts"
rm -f "$artifacts"/*.png "$artifacts"/display-figures.txt "$artifacts"/display-trace-*.log

e2e_begin
figure() { echo "$*" | tee -a "$artifacts/display-figures.txt"; }

# ---- display: a free one, picked by the server itself, and openbox
screen_width=1920
screen_height=1080
start_x11_session

logs="$work/logs"
mkdir -p "$logs"
hive="$work/registry.reg"
# $1: "Enable Comments", $2: "Full Screen"
write_station_hive() {
    write_hive "$hive" "Log Folder=$logs" "Log Name=Kestrin Log" "App Folder=$work" "Log Number=dword:5" \
        "Valid Age=dword:21" "Enable Log=dword:1" "Enable Comments=dword:$1" "Enable Ontop=dword:0" \
        "Count Valid DL Only=dword:0" "Full Screen=dword:$2"
}

trace=""
window=""
run=0
start_station() {
    run=$((run + 1))
    trace="$work/trace-$run.log"
    KESTRIN_REGISTRY="$hive" KESTRIN_TRACE=1 QT_QPA_PLATFORM=xcb "$kestrin" 2>"$trace" &
    station_pid=$!
    window=$(find_window '^Orbelon Kestrin$' 10)
    if [ -z "$window" ]; then echo "FAIL: no station window"; cat "$trace"; exit 1; fi
    for _ in $(seq 50); do
        xdotool windowactivate "$window" 2>/dev/null
        sleep 0.1
        xprop -id "$window" _NET_FRAME_EXTENTS 2>/dev/null | grep -q '=' \
            && [ "$(xdotool getactivewindow 2>/dev/null)" = "$window" ] && break
    done
    wait_trace 'paint Ready' 0 >/dev/null || fail "run $run: \"Ready!\" never painted"
}
stop_station() {
    xdotool key --delay 0 alt+F4
    for _ in $(seq 100); do kill -0 "$station_pid" 2>/dev/null || break; sleep 0.05; done
    kill "$station_pid" 2>/dev/null
    wait "$station_pid" 2>/dev/null
    station_pid=""
    cp "$trace" "$artifacts/display-trace-$run.log"
}

# Waits (up to $3 tenths of a second, 75 by default) until the trace has a line matching $1 after line
# $2; prints the line.
wait_trace() {
    local pattern=$1 after=$2 tries=$((${3:-75} * 4)) line
    for _ in $(seq "$tries"); do
        line=$(tail -n +"$((after + 1))" "$trace" | grep -m1 -- "$pattern")
        if [ -n "$line" ]; then echo "$line"; return 0; fi
        sleep 0.025
    done
    return 1
}
trace_lines() { wc -l <"$trace"; }
line_no() { grep -n -m1 -- "$1" "$trace" | cut -d: -f1; } # first line matching $1
trace_time() { awk '{print $2}' <<<"$1"; }
# The rectangle after word $2 of trace line $1, as "x y w h".
rect_after() { sed -E "s/.* $2 (-?[0-9]+),(-?[0-9]+) ([0-9]+)x([0-9]+).*/\1 \2 \3 \4/" <<<"$1"; }

pixel() { convert "$1" -format "%[hex:p{$2,$3}]" info: 2>/dev/null; }
# Pixels of colour $4 (hex) in the $2 (WxH+X+Y) crop of image $1.
count_colour() {
    convert "$1" -crop "$2" +repage -fill black +opaque "#$3" -fill white -opaque "#$3" -format '%[fx:round(mean*w*h)]' info: 2>/dev/null
}

# One swipe; the trace line of the paint of its result is printed.
swipe() {
    local mark
    mark=$(trace_lines)
    xdotool type --delay 0 -- "$1"
    xdotool key --delay 0 Return
    wait_trace "paint $2" "$mark"
}

year=$(date +%Y)
ok_card='%CASACRAMENTO^DOE$JOHN$Q^123 MAIN ST^?;6360141234567=68121980061500?#0295814      C               1508150BRNBLU?'
minor_card="%CASACRAMENTO^ROE\$ANN^123 MAIN ST^?;6360141234567=6812$((year - 15))061500?#0295814      C               1508150BRNBLU?"
expired_card='%CASACRAMENTO^DOE$JOHN$Q^123 MAIN ST^?;6360141234567=08121980061500?#0295814      C               1508150BRNBLU?'
junk='%THIS IS NOT A LICENCE?'

# Checks that the verdict's frame (the client area's edge, halfway down) has colour $3 in screenshot $1
# of paint line $2; with a window shot ($4 = window) the client area is taken relative to the window.
check_frame() {
    local shot=$1 paint=$2 colour=$3 what=$4 cx cy cw ch wx=0 wy=0 left right
    read -r cx cy cw ch <<<"$(rect_after "$paint" client)"
    if [ "${5:-}" = window ]; then
        eval "$(xdotool getwindowgeometry --shell "$window")"
        wx=$X; wy=$Y
    fi
    left=$(pixel "$shot" $((cx - wx + 1)) $((cy - wy + ch / 2)))
    right=$(pixel "$shot" $((cx - wx + cw - 2)) $((cy - wy + ch / 2)))
    if [ "$left" = "$colour" ] && [ "$right" = "$colour" ]; then
        pass "$what: frame in #$colour"
    else
        fail "$what: frame is #$left / #$right, expected #$colour"
    fi
}

# ======== run 1: Comments on. Row, paint, dialog, comments, ten seconds from the close.
write_station_hive 1 0
start_station
mark=$(trace_lines)
xdotool type --delay 0 -- "$ok_card"
xdotool key --delay 0 Return
comments=$(find_window '^Comments$' 5)
if [ -z "$comments" ]; then
    fail "no Comments dialog"
else
    sleep 0.4
    import -window root "$artifacts/comments.png" 2>/dev/null
    written=$(line_no 'log row written')
    painted=$(line_no 'paint CardShown')
    opened=$(line_no 'comments open')
    if [ -n "$written" ] && [ -n "$painted" ] && [ -n "$opened" ] && [ "$written" -lt "$painted" ] \
        && [ "$painted" -lt "$opened" ]; then
        pass "row written, then the verdict painted, then the Comments dialog opened"
    else
        fail "order of row ($written), paint ($painted), dialog ($opened) in the trace"
    fi
    open_line=$(sed -n "${opened:-1}p" "$trace")
    read -r dx dy dw dh <<<"$(rect_after "$open_line" at)"
    read -r vx vy vw vh <<<"$(rect_after "$open_line" verdict)"
    # Where the window manager really put the dialog (its frame), against the verdict.
    eval "$(xdotool getwindowgeometry --shell "$comments")"
    read -r fl fr ft fb <<<"$(xprop -id "$comments" _NET_FRAME_EXTENTS | sed -E 's/.*= //; s/,//g')"
    fx=$((X - ${fl:-0})); fy=$((Y - ${ft:-0})); fw=$((WIDTH + ${fl:-0} + ${fr:-0})); fh=$((HEIGHT + ${ft:-0} + ${fb:-0}))
    if [ "$fy" -ge "$((vy + vh))" ] || [ "$((fy + fh))" -le "$vy" ] || [ "$fx" -ge "$((vx + vw))" ] \
        || [ "$((fx + fw))" -le "$vx" ]; then
        pass "Comments dialog at $fx,$fy ${fw}x$fh clear of the verdict ($vx,$vy ${vw}x$vh)"
    else
        fail "Comments dialog at $fx,$fy ${fw}x$fh over the verdict $vx,$vy ${vw}x$vh"
    fi
    # Its frame's corner, or its client area's, where the station asked.
    { [ "$fx" -eq "$dx" ] && [ "$fy" -eq "$dy" ]; } || { [ "$X" -eq "$dx" ] && [ "$Y" -eq "$dy" ]; } \
        && pass "Comments dialog where the station placed it" \
        || fail "the Comments dialog was placed at $dx,$dy and is at $fx,$fy (client $X,$Y)"
    green=$(count_colour "$artifacts/comments.png" "${vw}x${vh}+${vx}+${vy}" 00C800)
    [ "${green:-0}" -gt 1000 ] && pass "the verdict is on the screen while the dialog is open ($green green pixels)" \
        || fail "no green verdict on the screen while the Comments dialog is open"
    row=$(tail -n1 "$logs"/*.csv | tr -d '\r')
    [ "${row%,\"\",\"\"}" != "$row" ] && pass "row on disk before the comments, with empty comment fields" \
        || fail "row while the dialog is open: $row"
    xdotool type --delay 0 -- 'late shift'
    xdotool key --delay 0 Tab
    xdotool type --delay 0 -- 'ok'
    xdotool key --delay 0 Return
    closed=$(wait_trace 'comments closed' "$mark") || fail "the Comments dialog did not close"
    row=$(tail -n1 "$logs"/*.csv | tr -d '\r')
    [ "${row%,\"late shift\",\"ok\"}" != "$row" ] && pass "comments added to the row" || fail "row: $row"
    import -window "$window" "$artifacts/ok-window.png" 2>/dev/null
    ready=$(wait_trace 'paint Ready' "$(line_no 'comments closed')" 150)
    if [ -n "$closed" ] && [ -n "$ready" ]; then
        shown=$(($(trace_time "$ready") - $(trace_time "$closed")))
        figure "result shown after the Comments dialog closed: $shown ms"
        [ "$shown" -ge 9900 ] && [ "$shown" -le 12000 ] && pass "result stays 10 s from the dialog's close" \
            || fail "result ended $shown ms after the dialog closed"
    else
        fail "no return to Ready after the comments"
    fi
fi
stop_station

# ======== run 2: Comments off. OK, UNDER 21, EXPIRED, unknown; then F11.
write_station_hive 0 0
start_station
paint=$(swipe "$ok_card" CardShown) || fail "OK: no result painted"
sleep 0.3
import -window "$window" "$artifacts/ok.png" 2>/dev/null
check_frame "$artifacts/ok.png" "$paint" 00C800 "OK" window

paint=$(swipe "$minor_card" CardShown) || fail "UNDER 21: no result painted"
sleep 0.3
import -window "$window" "$artifacts/under21.png" 2>/dev/null
check_frame "$artifacts/under21.png" "$paint" C80000 "UNDER 21" window

paint=$(swipe "$expired_card" CardShown) || fail "EXPIRED: no result painted"
sleep 0.3
import -window "$window" "$artifacts/expired.png" 2>/dev/null
check_frame "$artifacts/expired.png" "$paint" C80000 "EXPIRED (never a plain green)" window
read -r ax ay aw ah <<<"$(rect_after "$paint" age)"
eval "$(xdotool getwindowgeometry --shell "$window")"
green=$(count_colour "$artifacts/expired.png" "${aw}x${ah}+$((ax - X))+$((ay - Y))" 00C800)
[ "${green:-0}" -gt 500 ] && pass "EXPIRED: the age keeps its green" || fail "EXPIRED: the age is not green"

paint=$(swipe "$junk" UnknownCard) || fail "unknown: \"Unknown DL\" not painted"
sleep 0.3
import -window "$window" "$artifacts/unknown.png" 2>/dev/null
read -r cx cy cw ch <<<"$(rect_after "$paint" client)"
eval "$(xdotool getwindowgeometry --shell "$window")"
inside=$(count_colour "$artifacts/unknown.png" "$((cw - 8))x${ch}+$((cx - X + 4))+$((cy - Y))" FF0000)
edges=$(($(count_colour "$artifacts/unknown.png" "4x${ch}+$((cx - X))+$((cy - Y))" FF0000) \
    + $(count_colour "$artifacts/unknown.png" "4x${ch}+$((cx - X + cw - 4))+$((cy - Y))" FF0000)))
if [ "${inside:-0}" -gt 500 ] && [ "$edges" -eq 0 ]; then
    pass "\"Unknown DL\" in pure red, clear of both edges"
else
    fail "\"Unknown DL\": $inside red pixels inside, $edges at the window's edges"
fi

# Full screen by F11: the picture scales; the age is at least 400 px (its cell) high.
xdotool key --delay 0 F11
for _ in $(seq 40); do
    eval "$(xdotool getwindowgeometry --shell "$window")"
    [ "$WIDTH" -eq 1920 ] && [ "$HEIGHT" -eq 1080 ] && break
    sleep 0.1
done
[ "$WIDTH" -eq 1920 ] && [ "$HEIGHT" -eq 1080 ] && pass "F11: full screen" || fail "F11: window is ${WIDTH}x$HEIGHT"
paint=$(swipe "$ok_card" CardShown) || fail "full screen: no result painted"
sleep 0.3
import -window root "$artifacts/fullscreen.png" 2>/dev/null
check_frame "$artifacts/fullscreen.png" "$paint" 00C800 "full screen"
read -r ax ay aw ah <<<"$(rect_after "$paint" age)"
cell=$(sed -E 's/.* cell ([0-9]+).*/\1/' <<<"$paint")
ink=$(convert "$artifacts/fullscreen.png" -crop "${aw}x${ah}+${ax}+${ay}" +repage -fill black +opaque '#00C800' \
    -trim -format '%h' info: 2>/dev/null)
figure "full screen 1920 x 1080: age cell $cell px, age figures $ink px high"
[ "${cell:-0}" -ge 400 ] && pass "full screen: age cell $cell px (>= 400)" || fail "full screen: age cell $cell px"
xdotool key --delay 0 F11
stop_station

# ======== run 3: "Full Screen" 1 starts the station full screen.
write_station_hive 0 1
start_station
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$window")"
[ "$WIDTH" -eq 1920 ] && [ "$HEIGHT" -eq 1080 ] && pass "\"Full Screen\" 1: starts full screen" \
    || fail "\"Full Screen\" 1: window is ${WIDTH}x$HEIGHT"
stop_station

echo "artefacts in $artifacts"
[ $failures -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "all display checks passed"
