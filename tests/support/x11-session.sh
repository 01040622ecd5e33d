# Shell helpers for the end-to-end tests that drive the real station under Xvfb + openbox. Source it
# after setting `work` (a scratch folder the caller removes); it adds the servers it starts to `pids`.
#
#   start_x11_session           Xvfb (through `xvfb_prefix`, if set) on a display it picks itself
#                               (-displayfd, so parallel tests never race for one) and openbox;
#                               exports DISPLAY
#   wait_framed <window>        waits (at most 10 s) until the window manager has finished framing
#                               <window> (it announces the frame's size in _NET_FRAME_EXTENTS)
#   frame_of <window>           "x y width height" of the window manager's frame around <window>, as
#                               the X server has it (border included)
#   fence_lines <trace file>    the station's trace lines about its pointer fence
#   wait_fence <trace> <n> [frame]
#                               waits (at most 10 s) until the station has written more than <n> fence
#                               lines and, with a frame given, until its last fence is that frame
#                               (cut to the screen); false if it never does

screen_width=1024
screen_height=768
# What Xvfb is started through (say, a priority); it must execute the server, so that its pid is the
# server's.
[ -n "${xvfb_prefix+set}" ] || xvfb_prefix=()

start_x11_session() {
    "${xvfb_prefix[@]}" Xvfb -displayfd 3 -screen 0 "${screen_width}x${screen_height}x24" -nolisten tcp 3>"$work/display" \
        2>"$work/xvfb.log" &
    pids+=($!)
    for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
    [ -s "$work/display" ] || { echo "FAIL: Xvfb did not start"; cat "$work/xvfb.log"; exit 1; }
    export DISPLAY=":$(head -n1 "$work/display")"
    unset WAYLAND_DISPLAY XDG_CURRENT_DESKTOP
    openbox --sm-disable >"$work/openbox.log" 2>&1 &
    local openbox=$!
    pids+=("$openbox")
    # A machine loaded by parallel builds and tests has taken more than 15 s to start it.
    local deadline=$((SECONDS + 60))
    while [ "$SECONDS" -lt "$deadline" ]; do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
        kill -0 "$openbox" 2>/dev/null || break
        sleep 0.05
    done
    echo "FAIL: openbox did not start"
    cat "$work/openbox.log"
    exit 1
}

wait_framed() {
    for _ in $(seq 100); do
        xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | grep -q '=' && return 0
        sleep 0.1
    done
    return 1
}

frame_of() {
    local window=$1 parent root
    root=$(xwininfo -root | awk '/Window id:/{print $4}')
    while :; do
        parent=$(xwininfo -children -id "$window" 2>/dev/null | awk '/Parent window id:/{print $4}')
        { [ -z "$parent" ] || [ "$parent" = "$root" ]; } && break
        window=$parent
    done
    xwininfo -id "$window" | awk '
        /Absolute upper-left X/ {x = $4} /Absolute upper-left Y/ {y = $4}
        /^ *Width:/ {w = $2} /^ *Height:/ {h = $2} /Border width:/ {b = $3}
        END {print x - b, y - b, w + 2 * b, h + 2 * b}'
}

# "x y width height" of the part of a frame on the screen.
on_screen() { # <x> <y> <width> <height>
    local left=$(($1 > 0 ? $1 : 0)) top=$(($2 > 0 ? $2 : 0))
    local right=$(($1 + $3 < screen_width ? $1 + $3 : screen_width))
    local bottom=$(($2 + $4 < screen_height ? $2 + $4 : screen_height))
    echo "$left $top $((right - left)) $((bottom - top))"
}

fence_lines() { grep -E 'kestrin-trace [0-9]+ cursor (fenced|released|not fenced)' "$1" 2>/dev/null; }

wait_fence() {
    local trace=$1 count=$2 want=""
    if [ $# -ge 3 ]; then
        local x y w h
        read -r x y w h < <(on_screen $3)
        want="cursor fenced to $x,$y ${w}x${h}"
    fi
    for _ in $(seq 100); do
        if [ "$(fence_lines "$trace" | grep -c 'cursor fenced')" -gt "$count" ]; then
            [ -z "$want" ] && return 0
            fence_lines "$trace" | tail -n1 | grep -q "$want\$" && return 0
        fi
        sleep 0.1
    done
    return 1
}
