#!/usr/bin/env bash
# The station lock's pointer fence under Xvfb + openbox. Relative pointer moves (xdotool
# mousemove_relative) of 2, 5, 10, 50, 300 and 1000 px in the eight directions, from points on and three
# pixels inside each corner and the middle of each edge of the window's frame, with the window where the
# window manager puts it, in the top left corner of the screen, partly off the right and bottom edges and
# partly off the left and top edges. No move may leave the frame, and every move must end where walls
# along the frame's edges would stop it, so a fence that is too narrow fails as well as one that leaks.
# A control run with the lock off shows that the same moves do leave the frame. Each start point is
# reached with a warp (xdotool mousemove), which passes the fence by design.
#
# The figures (moves tried and held per place) go to <artefacts>/figures.txt, the station's trace to
# <artefacts>/trace.log, and every move that left or stopped short, with the fence the station had set at
# that moment, to <artefacts>/escapes.txt.
#
# usage: pointer_e2e.sh <kestrin executable> <artefacts folder>
set -uo pipefail

kestrin=$1
artifacts=$2
mkdir -p "$artifacts"
rm -f "$artifacts/figures.txt" "$artifacts/trace.log" "$artifacts/escapes.txt"

# shellcheck source=../support/e2e.sh
source "$(dirname "$0")/../support/e2e.sh"
e2e_begin


steps=(2 5 10 50 300 1000)
directions=("1 0" "1 1" "0 1" "-1 1" "-1 0" "-1 -1" "0 -1" "1 -1")
insets=(0 3) # start points on the frame's outermost pixels and three pixels inside

start_x11_session

hive=$work/registry.reg
start_station() { # <ontop 0|1> <trace file>
    write_hive "$hive" "Log Folder=$work/logs" "Log Name=Kestrin Log" "App Folder=$work" "Enable Log=dword:0" \
        "Enable Ontop=dword:$1" "Valid Age=dword:21"
    KESTRIN_REGISTRY=$hive KESTRIN_TRACE=1 QT_QPA_PLATFORM=xcb "$kestrin" 2>"$2" &
    station=$!
    pids+=("$station")
    window=$(find_window '^Orbelon Kestrin$' 20)
    [ -n "$window" ] || { echo "FAIL: no station window"; cat "$2"; exit 1; }
    wait_framed "$window" || fail "the window manager did not frame the station"
}
stop_station() { kill "$station" 2>/dev/null; wait "$station" 2>/dev/null; }

# Tries every move from every start point inside the on-screen part of a frame and counts the outcomes
# into tried, held (ended inside), walled (ended exactly where walls at the edges stop it) and left.
try_moves() { # <label> <trace file> <x> <y> <width> <height>: the frame's part on the screen
    local label=$1 trace=$2 left=$3 top=$4 right=$(($3 + $5)) bottom=$(($4 + $6))
    local midx=$((($3 + right) / 2)) midy=$((($4 + bottom) / 2)) starts=() inset
    for inset in "${insets[@]}"; do
        local near_left=$((left + inset)) near_top=$((top + inset))
        local near_right=$((right - 1 - inset)) near_bottom=$((bottom - 1 - inset))
        starts+=("$near_left $near_top" "$near_right $near_top" "$near_right $near_bottom" "$near_left $near_bottom"
            "$midx $near_top" "$near_right $midy" "$midx $near_bottom" "$near_left $midy")
    done
    tried=0 held=0 walled=0 left_frame=0
    local start sx sy step d ux uy i px py ex ey end fenced
    for start in "${starts[@]}"; do
        sx=${start% *} sy=${start#* }
        local chain=() dxs=() dys=() ends=()
        for step in "${steps[@]}"; do
            for d in "${directions[@]}"; do
                ux=$((${d% *} * step)) uy=$((${d#* } * step))
                chain+=(mousemove "$sx" "$sy" mousemove_relative -- "$ux" "$uy" getmouselocation --shell)
                dxs+=("$ux") dys+=("$uy")
            done
        done
        fenced=$(fence_lines "$trace" | tail -n1) # what the station says it fenced as the moves run
        mapfile -t ends < <(xdotool "${chain[@]}" | awk -F= '/^X=/ {x = $2} /^Y=/ {print x, $2}')
        for i in "${!dxs[@]}"; do
            ux=${dxs[$i]} uy=${dys[$i]} end=${ends[$i]:-none none}
            px=${end% *} py=${end#* }
            tried=$((tried + 1))
            ex=$((sx + ux < left ? left : (sx + ux >= right ? right - 1 : sx + ux)))
            ey=$((sy + uy < top ? top : (sy + uy >= bottom ? bottom - 1 : sy + uy)))
            if [ "$px" = none ] || [ "$px" -lt "$left" ] || [ "$px" -ge "$right" ] || [ "$py" -lt "$top" ] ||
                [ "$py" -ge "$bottom" ]; then
                left_frame=$((left_frame + 1))
                echo "$label: from $sx,$sy by $ux,$uy to $px,$py left $left,$top-$right,$bottom;" \
                    "station: ${fenced:-no fence}" >>"$work/escapes.txt"
                continue
            fi
            held=$((held + 1))
            if [ "$px" -eq "$ex" ] && [ "$py" -eq "$ey" ]; then
                walled=$((walled + 1))
            else
                echo "$label: from $sx,$sy by $ux,$uy stopped at $px,$py, not at $ex,$ey;" \
                    "station: ${fenced:-no fence}" >>"$work/escapes.txt"
            fi
        done
    done
}

figures() { # <label> <frame> <fence>
    printf '%-40s frame %-20s on screen %-20s moves %4d  held %4d  at the wall %4d  left %4d\n' \
        "$1" "$2" "$3" "$tried" "$held" "$walled" "$left_frame" >>"$artifacts/figures.txt"
}

# ---- control: without the lock the same moves leave the frame, so the count below can see a leak
start_station 0 "$work/control.log"
read -r fx fy fw fh < <(frame_of "$window")
read -r vx vy vw vh < <(on_screen "$fx" "$fy" "$fw" "$fh")
try_moves control "$work/control.log" "$vx" "$vy" "$vw" "$vh"
figures "control, lock off" "$fx,$fy ${fw}x$fh" "$vx,$vy ${vw}x$vh"
[ "$left_frame" -gt 0 ] && pass "without the lock $left_frame of $tried moves leave the frame" ||
    fail "without the lock no move left the frame: the test cannot see a leak"
: >"$work/escapes.txt"
stop_station

# ---- with the lock, in several places
trace=$work/trace.log
start_station 1 "$trace"
read -r fx fy fw fh < <(frame_of "$window")
cx=$(xwininfo -id "$window" | awk '/Absolute upper-left X/{print $4}')
cy=$(xwininfo -id "$window" | awk '/Absolute upper-left Y/{print $4}')
decoration_x=$((cx - fx)) decoration_y=$((cy - fy))

total_tried=0 total_held=0
places=("placed by the window manager|" "in the top left corner|0 0"
    "partly off the right and bottom edges|$((screen_width - 200)) $((screen_height - 150))"
    "partly off the left and top edges|-150 -80")
for place in "${places[@]}"; do
    label=${place%%|*} target=${place#*|}
    if [ -n "$target" ]; then
        read -r tx ty <<<"$target"
        xdotool windowmove "$window" $((tx + decoration_x)) $((ty + decoration_y))
        for _ in $(seq 50); do
            read -r fx fy fw fh < <(frame_of "$window")
            [ "$fx $fy" = "$tx $ty" ] && break
            sleep 0.1
        done
        [ "$fx $fy" = "$tx $ty" ] || { fail "$label: the window manager put the frame at $fx,$fy"; continue; }
    fi
    read -r vx vy vw vh < <(on_screen "$fx" "$fy" "$fw" "$fh")
    # The moves run even when the station does not say it fenced the frame: they show what it holds.
    wait_fence "$trace" 0 "$fx $fy $fw $fh" ||
        fail "$label: the station did not fence the frame $fx,$fy ${fw}x$fh" \
            "(its last word on it: $(fence_lines "$trace" | tail -n1))"
    try_moves "$label" "$trace" "$vx" "$vy" "$vw" "$vh"
    figures "$label" "$fx,$fy ${fw}x$fh" "$vx,$vy ${vw}x$vh"
    total_tried=$((total_tried + tried)) total_held=$((total_held + held))
    [ "$left_frame" -eq 0 ] && pass "$label: all $tried moves held" ||
        fail "$label: $left_frame of $tried moves left the frame"
    [ "$walled" -eq "$held" ] && pass "$label: every move stopped at the frame's edge, none short of it" ||
        fail "$label: $((held - walled)) moves stopped short of the frame's edge"
done
echo "locked: $total_tried moves tried, $total_held held" >>"$artifacts/figures.txt"
kill -0 "$station" 2>/dev/null && pass "the station runs on" || fail "the station ended"
stop_station

cp "$trace" "$artifacts/trace.log"
cp "$work/escapes.txt" "$artifacts/escapes.txt" 2>/dev/null
cat "$artifacts/figures.txt"
if [ $failures -ne 0 ]; then
    echo "pointer_e2e: $failures check(s) failed; the first moves that failed:"
    head -n 20 "$work/escapes.txt" 2>/dev/null
    exit 1
fi
echo "pointer_e2e: all checks passed"
