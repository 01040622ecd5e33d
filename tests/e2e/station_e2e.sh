#!/usr/bin/env bash
# End-to-end check of the real station under Xvfb + openbox, driven with xdotool like a card reader in
# keyboard mode: start-up writes, one valid swipe logged, one undecodable swipe kept in unknowndl.txt,
# Esc and Enter harmless, Alt+F4 closes. Screenshots and timings go to the artefacts folder.
#
# usage: station_e2e.sh <kestrin executable> <artefacts folder>
set -uo pipefail
# shellcheck source=../support/e2e.sh
source "$(dirname "$0")/../support/e2e.sh"

kestrin=$1
artifacts=$2
mkdir -p "$artifacts"
rm -f "$artifacts"/*.png "$artifacts"/figures.txt

e2e_begin

# ---- display: a free one, picked by the server itself, and openbox
start_x11_session

# ---- a fresh settings key: folders and the run number, no options yet
logs="$work/logs"
mkdir -p "$logs"
hive="$work/registry.reg"
write_hive "$hive" "Log Folder=$logs" "Log Name=Kestrin Log" "App Folder=$work" "Log Number=dword:5" "Valid Age=dword:21"

value_of() { grep -i "^\"$1\"=" "$hive" | head -n1 | cut -d= -f2- | tr -d '\r'; }

# Another client on the desktop, for Alt+Tab to switch to if the lock let it through.
xmessage -name other -geometry +700+600 'another program' >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do xdotool search --name '^other$' >/dev/null 2>&1 && break; sleep 0.05; done

trace="$work/trace.log"
start_ms=$(now_ms)
KESTRIN_REGISTRY="$hive" KESTRIN_TRACE=1 QT_QPA_PLATFORM=xcb "$kestrin" 2>"$trace" &
station_pid=$!

window=$(find_window '^Orbelon Kestrin$' 10)
if [ -z "$window" ]; then echo "FAIL: no station window"; cat "$trace"; exit 1; fi
# The window manager may still be starting: wait until it has framed the station and made it active.
active=""
for _ in $(seq 50); do
    xdotool windowactivate "$window" 2>/dev/null
    sleep 0.1
    if xprop -id "$window" _NET_FRAME_EXTENTS 2>/dev/null | grep -q '=' \
        && [ "$(xdotool getactivewindow 2>/dev/null)" = "$window" ]; then
        active=1
        break
    fi
done
[ -n "$active" ] || fail "the window manager never framed and activated the station"

# Waits until the trace has a line matching $1 after line $2; prints the line.
wait_trace() {
    local pattern=$1 after=$2
    for _ in $(seq 200); do
        local line
        line=$(tail -n +"$((after + 1))" "$trace" | grep -m1 -- "$pattern")
        if [ -n "$line" ]; then echo "$line"; return 0; fi
        sleep 0.025
    done
    return 1
}
trace_lines() { wc -l <"$trace"; }
trace_time() { awk '{print $2}' <<<"$1"; }

shot() { import -window root "$artifacts/$1.png" 2>/dev/null; }
# The histogram is read whole first: grep -q stopping early would fail the pipeline with SIGPIPE.
has_colour() {
    local histogram
    histogram=$(convert "$artifacts/$1.png" -format %c histogram:info:- 2>/dev/null)
    grep -qi -- "$2" <<<"$histogram"
}

ready=$(wait_trace 'paint Ready' 0) || fail "\"Ready!\" never painted"
first_paint=$(wait_trace 'first paint' 0)
if [ -n "$ready" ]; then
    echo "cold start to Ready painted: $(( $(trace_time "$ready") - start_ms )) ms (${first_paint#* first paint })" \
        | tee -a "$artifacts/figures.txt"
fi
sleep 0.3
shot ready
import -window "$window" "$artifacts/ready-window.png" 2>/dev/null
has_colour ready-window '#000000' && pass "\"Ready!\" painted in black" || fail "no black text in the window"

# ---- the station lock ("Always On Top" is on with a fresh key)
eval "$(xdotool getwindowgeometry --shell "$window")" # X Y WIDTH HEIGHT of the client area
wx=$X; wy=$Y; ww=$WIDTH; wh=$HEIGHT
# A mouse moves in small steps; one jump across the whole screen is not what barriers are made for.
push_pointer() { for _ in $(seq 30); do xdotool mousemove_relative -- "$1" "$2"; done; sleep 0.1; }
push_pointer 50 50
eval "$(xdotool getmouselocation --shell)"
if [ "$X" -le $((wx + ww + 10)) ] && [ "$Y" -le $((wy + wh + 10)) ]; then
    pass "pointer held at the frame's lower right ($X,$Y)"
else
    fail "pointer left the window to ($X,$Y); client area $wx,$wy ${ww}x$wh"
fi
push_pointer -50 -50
eval "$(xdotool getmouselocation --shell)"
if [ "$X" -ge $((wx - 10)) ] && [ "$Y" -ge $((wy - 40)) ]; then
    pass "pointer held at the frame's upper left ($X,$Y)"
else
    fail "pointer left the window to ($X,$Y); client area $wx,$wy ${ww}x$wh"
fi
# The fence follows the window when it moves.
xdotool windowmove "$window" 100 60
sleep 0.5
mx=$(xwininfo -id "$window" | awk '/Absolute upper-left X/{print $4}')
my=$(xwininfo -id "$window" | awk '/Absolute upper-left Y/{print $4}')
push_pointer -50 -50
eval "$(xdotool getmouselocation --shell)"
if [ "$mx" -lt "$wx" ] && [ "$X" -ge $((mx - 10)) ] && [ "$X" -lt "$wx" ] && [ "$Y" -ge $((my - 40)) ]; then
    pass "fence moved with the window (pointer held at $X,$Y)"
else
    fail "after moving the window to $mx,$my the pointer went to ($X,$Y)"
fi
wait_trace 'keyboard grab taken' 0 >/dev/null && pass "keyboard grab taken while the station is active" \
    || fail "the station never took the keyboard grab"
xdotool key alt+Tab
sleep 0.5
[ "$(xdotool getactivewindow 2>/dev/null)" = "$window" ] && pass "Alt+Tab withheld from the window manager" \
    || fail "Alt+Tab switched away from the station"
xdotool windowactivate --sync "$window" 2>/dev/null || true

# ---- start-up writes
[ "$(value_of 'Log Number')" = "dword:00000006" ] && pass "Log Number rose by one" \
    || fail "Log Number is $(value_of 'Log Number'), expected dword:00000006"
for option in "Enable Log" "Enable Ontop" "Enable Comments" "Count Valid DL Only"; do
    [ "$(value_of "$option")" = "dword:00000001" ] && pass "$option written as 1" \
        || fail "$option is '$(value_of "$option")', expected dword:00000001"
done
echo "resident memory after start: $(grep VmRSS "/proc/$station_pid/status" | awk '{print $2, $3}')" \
    | tee -a "$artifacts/figures.txt"

# ---- the menu works under the keyboard grab: opened with the mouse, driven with the keys
cx=$(xwininfo -id "$window" | awk '/Absolute upper-left X/{print $4}')
cy=$(xwininfo -id "$window" | awk '/Absolute upper-left Y/{print $4}')
toggle_count_valid_only() {
    xdotool mousemove $((cx + 70)) $((cy + 10)) click 1 # "Options"
    sleep 0.4
    xdotool key Down Down Down Down Return # "Count Valid DL Only"
    sleep 0.4
}
mark=$(trace_lines)
toggle_count_valid_only
[ "$(value_of 'Count Valid DL Only')" = "dword:00000000" ] && pass "menu driven by keys under the grab" \
    || fail "Options › Count Valid DL Only did not toggle under the grab"
toggle_count_valid_only
grep -q 'key Enter' <(tail -n +"$((mark + 1))" "$trace") && fail "menu keys reached the swipe"

# ---- a valid three-track swipe, typed with no delay, then Enter
swipe='%CASACRAMENTO^DOE$JOHN$Q^123 MAIN ST^?;6360141234567=08121980061500?#0295814      C               1508150BRNBLU?'
mark=$(trace_lines)
xdotool type --delay 0 -- "$swipe"
xdotool key --delay 0 Return
enter=$(wait_trace 'key Enter' "$mark")
# "Comments" is on with a fresh key: the Comments dialog opens inside the quiet tick and must get the
# keyboard although the station holds the keyboard grab.
comments=$(find_window '^Comments$' 5)
if [ -n "$comments" ]; then
    pass "Comments dialog shown for the logged card"
    echo "Enter to Comments dialog shown: $(( $(now_ms) - $(trace_time "${enter:-x 0}") )) ms" \
        | tee -a "$artifacts/figures.txt"
    sleep 0.3
    xdotool type --delay 0 -- 'late shift'
    xdotool key --delay 0 Tab
    xdotool type --delay 0 -- 'ok'
    xdotool key --delay 0 Return
else
    fail "no Comments dialog"
fi
wait_trace 'paint CardShown' "$mark" >/dev/null || fail "no card result painted"
sleep 0.3
shot valid
has_colour valid '#00C800' && pass "valid card: age in verdict green (0,200,0)" || fail "no verdict green in valid.png"
enter_s=$(( $(trace_time "${enter:-x 0}") / 1000 ))

# ---- the log rows
month=$(LC_ALL=C date +"%Y %b")
logfile="$logs/Kestrin Log $month #6.csv"
year=$(date +%Y); mmdd=$(date +%m%d)
age=$((year - 1980)); [ "$mmdd" -lt 0615 ] && age=$((age - 1))
# Whether line $1 of the log is the example card's row with suffix $3, scanned within a few seconds after
# the Enter at unix second $2 (the row carries the decode time).
row_matches() {
    local row s stamp d t
    row=$(sed -n "$1p" "$logfile")
    for s in $(seq $(($2 - 1)) $(($2 + 3))); do
        stamp=$(LC_ALL=C date -d "@$s" +'%a %b %d %H:%M:%S %Y')
        d=$(date -d "@$s" +'%-m/%-d/%Y'); t=$(date -d "@$s" +'%-H:%-M:%-S')
        [ "$row" = "\"$stamp\",\"DOE JOHN Q\",\"$age\",\"MALE\",\"CA\",\"SACRAMENTO\",\"123 MAIN ST\",\"95814\",\"6/15/1980\",\"1234567\",\"12/15/2008\",\"636014\",\"\",\"508\",\"150\",\"BRN\",\"BLU\",\"$d\",\"$t\"$3"$'\r' ] && return 0
    done
    echo "    line $1: $row"
    return 1
}
if [ -f "$logfile" ]; then
    pass "log file '$(basename "$logfile")' written"
    header='"DATE & TIME","NAME","AGE","SEX","STATE","CITY","ADDRESS","POSTAL CODE","BIRTHDATE","DL#","EXPIRATION DATE","ISOIIN","RESTRICTIONS","HEIGHT","WEIGHT","HAIR COLOR","EYE COLOR","DATE","TIME"'
    [ "$(sed -n 1p "$logfile")" = "$header"$'\r' ] && pass "header line" || fail "header line: $(sed -n 1p "$logfile")"
    [ "$(wc -l <"$logfile")" -eq 2 ] || fail "log has $(wc -l <"$logfile") lines, expected 2"
    row_matches 2 "$enter_s" ',"late shift","ok"' && pass "log row with the comments as expected (no keystroke lost)" \
        || fail "log row"
else
    fail "no log file '$logfile' ($(ls "$logs"))"
fi

# ---- Comments off through the menu (the third Options item), then three swipes in a row: each logged
# with 19 fields and no dialog, each one typed with no delay
xdotool mousemove $((cx + 70)) $((cy + 10)) click 1
sleep 0.4
xdotool key Down Down Down Return
sleep 0.4
[ "$(value_of 'Enable Comments')" = "dword:00000000" ] && pass "Comments switched off from the menu" \
    || fail "Comments still '$(value_of 'Enable Comments')'"
for n in 3 4 5; do
    mark=$(trace_lines)
    xdotool type --delay 0 -- "$swipe"
    xdotool key --delay 0 Return
    enter=$(wait_trace 'key Enter' "$mark")
    verdict=$(wait_trace 'paint CardShown' "$mark") || fail "swipe $n: no card result painted"
    if [ -n "$enter" ] && [ -n "$verdict" ]; then
        echo "Enter to verdict (valid card, no comments) painted: $(( $(trace_time "$verdict") - $(trace_time "$enter") )) ms" \
            | tee -a "$artifacts/figures.txt"
    fi
    row_matches "$n" $(( $(trace_time "${enter:-x 0}") / 1000 )) '' || fail "swipe $n: row not as expected"
done
[ "$(wc -l <"$logfile")" -eq 5 ] && pass "three more rows, no dialog" || fail "log has $(wc -l <"$logfile") lines, expected 5"

# ---- Esc and Enter leave the station open
xdotool key --delay 0 Escape Return
sleep 0.5
kill -0 "$station_pid" 2>/dev/null && pass "Esc and Enter leave the station open" || fail "the station closed on Esc/Enter"

# ---- an undecodable swipe: kept in unknowndl.txt, no row
wait_trace 'paint UnknownCard' "$mark" >/dev/null # the Esc/Enter scan above is unknown as well
rm -f "$logs/unknowndl.txt"
junk='%THIS IS NOT A LICENCE?'
mark=$(trace_lines)
xdotool type --delay 0 -- "$junk"
xdotool key --delay 0 Return
junk_enter=$(wait_trace 'key Enter' "$mark")
unknown=$(wait_trace 'paint UnknownCard' "$mark") || fail "no \"Unknown DL\" painted"
if [ -n "$junk_enter" ] && [ -n "$unknown" ]; then
    echo "Enter to verdict (\"Unknown DL\") painted: $(( $(trace_time "$unknown") - $(trace_time "$junk_enter") )) ms" \
        | tee -a "$artifacts/figures.txt"
fi
sleep 0.3
shot unknown
has_colour unknown '#FF0000' && pass "unknown swipe: pure red (255,0,0)" || fail "no pure red in unknown.png"
if [ -f "$logs/unknowndl.txt" ] && grep -qF -- "$junk" "$logs/unknowndl.txt"; then
    pass "undecodable swipe appended to unknowndl.txt"
else
    fail "unknowndl.txt lacks the swipe: $(cat "$logs/unknowndl.txt" 2>/dev/null)"
fi
[ -f "$logfile" ] && [ "$(wc -l <"$logfile")" -eq 5 ] && pass "no row for the undecodable swipe" \
    || fail "the log changed after an undecodable swipe"
echo "resident memory after six scans: $(grep VmRSS "/proc/$station_pid/status" | awk '{print $2, $3}')" \
    | tee -a "$artifacts/figures.txt"

# ---- Alt+F4 closes the station, exit code 0
xdotool key --delay 0 alt+F4
code=""
for _ in $(seq 100); do
    if ! kill -0 "$station_pid" 2>/dev/null; then wait "$station_pid"; code=$?; break; fi
    sleep 0.05
done
if [ -z "$code" ]; then fail "Alt+F4 left the station open"; else
    [ "$code" -eq 0 ] && pass "Alt+F4 closes the station (exit 0)" || fail "exit code $code after Alt+F4"
    station_pid=""
fi

# ---- no settings key: the first option write is fatal, shown in a box, exit code 1
KESTRIN_REGISTRY="$work/missing.reg" QT_QPA_PLATFORM=xcb "$kestrin" 2>"$work/fatal.log" &
station_pid=$!
box=$(find_window '^error$' 10)
if [ -n "$box" ]; then
    pass "missing settings key: \"error\" box shown"
    shot fatal
    for _ in $(seq 20); do
        xdotool windowactivate "$box" 2>/dev/null
        xdotool key --window "$box" Return 2>/dev/null
        kill -0 "$station_pid" 2>/dev/null || break
        sleep 0.2
    done
else
    fail "missing settings key: no \"error\" box"
fi
code=""
for _ in $(seq 50); do
    if ! kill -0 "$station_pid" 2>/dev/null; then wait "$station_pid"; code=$?; break; fi
    sleep 0.1
done
[ "$code" = "1" ] && pass "missing settings key: exit code 1 after the box" || fail "missing settings key: exit code '$code'"
[ -z "$code" ] || station_pid=""
[ -e "$work/missing.reg" ] && fail "a hive was created where there was none"

cp "$trace" "$artifacts/trace.log"
echo "artefacts in $artifacts"
[ $failures -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "all end-to-end checks passed"
