#!/usr/bin/env bash
# The Help and About commands of the real station under Xvfb + openbox, driven through the menu with
# xdotool: Help opens KestrinHelp.pdf with the desktop's default PDF application (found by xdg-open
# through a desktop entry that records what it was given), Help without the manual shows the error box
# and starts nothing, the About box shows the product picture at (10, 19) and closes with Escape; both
# boxes take their keys also while the station lock holds the keyboard. On a kiosk without any PDF
# application Help shows the manual inside the station.
#
# usage: help_about_e2e.sh <kestrin executable> <folder holding KestrinHelp.pdf> <art folder> <artefacts>
set -uo pipefail

kestrin=$1
manual_folder=$2
art=$3
artifacts=$4
mkdir -p "$artifacts"

# shellcheck source=../support/e2e.sh
source "$(dirname "$0")/../support/e2e.sh"
e2e_begin

start_x11_session
unset KESTRIN_OPEN_COMMAND

# The desktop's default PDF application: a recorder.
mkdir -p "$work/config" "$work/data/applications"
record=$work/opened.txt
printf '#!/bin/sh\nprintf "%%s\\n" "$1" >> "%s"\n' "$record" >"$work/viewer.sh"
chmod +x "$work/viewer.sh"
printf '[Default Applications]\napplication/pdf=kestrin-test-viewer.desktop\n' >"$work/config/mimeapps.list"
printf '[Desktop Entry]\nType=Application\nName=Recorder\nMimeType=application/pdf;\nExec=%s %%f\n' \
    "$work/viewer.sh" >"$work/data/applications/kestrin-test-viewer.desktop"
export XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_DATA_DIRS=$work/data

hive=$work/registry.reg
write_station_hive() { # <app folder> <ontop 0|1>
    write_hive "$hive" "Log Folder=$work/logs" "Log Name=Kestrin Log" "App Folder=$1" "Enable Ontop=dword:$2" \
        "Valid Age=dword:21"
}

start_station() {
    KESTRIN_REGISTRY=$hive KESTRIN_TRACE=1 QT_QPA_PLATFORM=xcb "$kestrin" 2>>"$work/station.log" &
    station=$!
    pids+=("$station")
    window=$(find_window '^Orbelon Kestrin$' 10)
    [ -n "$window" ] || { echo "FAIL: no station window"; cat "$work/station.log"; exit 1; }
    wait_framed "$window" || fail "the window manager did not frame the station"
    xdotool windowactivate --sync "$window" 2>/dev/null || true
    cx=$(xwininfo -id "$window" | awk '/Absolute upper-left X/{print $4}')
    cy=$(xwininfo -id "$window" | awk '/Absolute upper-left Y/{print $4}')
}
stop_station() { kill "$station" 2>/dev/null; wait "$station" 2>/dev/null; }

# Opens the Help menu (through "Options", whose place is known, and Right past "Venue") and picks an
# item. Each key goes out once the menu it is meant for is shown: a key that comes before the drop-down
# menu reaches the station instead, and the menu stays open.
help_menu() { # <number of Down presses: 0 Help, 1 About>
    local options venue
    xdotool mousemove $((cx + 70)) $((cy + 10)) click 1
    options=$(shown_menu) || { fail "the Options menu did not open"; return; }
    xdotool key Right
    venue=$(shown_menu "$options") || { fail "the Venue menu did not open"; return; }
    xdotool key Right
    shown_menu "$venue" >/dev/null || { fail "the Help menu did not open"; return; }
    for _ in $(seq "$1"); do xdotool key Down; done
    xdotool key Return
}
shown_menu() { # [a menu's window]: waits (at most 5 s) for a drop-down menu of the station other than it
    local id
    for _ in $(seq 50); do
        # While the menus are used the station shows no window but its own and the drop-down menu.
        for id in $(xdotool search --onlyvisible --class '^kestrin$' 2>/dev/null); do
            [ "$id" != "$window" ] && [ "$id" != "${1:-}" ] && { echo "$id"; return 0; }
        done
        sleep 0.1
    done
    return 1
}
wait_window() { # <title>; prints its id
    find_window "^$1\$" 5
}
gone() { # <title>
    for _ in $(seq 50); do
        xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    return 1
}

# ---- Help with the manual in the application folder
write_station_hive "$manual_folder" 0
start_station
help_menu 0
for _ in $(seq 50); do [ -s "$record" ] && break; sleep 0.1; done
[ "$(cat "$record" 2>/dev/null)" = "$manual_folder/KestrinHelp.pdf" ] &&
    pass "Help opens the manual with the desktop's PDF application" ||
    fail "Help did not reach the PDF application (got: $(cat "$record" 2>/dev/null))"

# ---- Help without the manual: read at the command, so the changed hive counts at once
write_station_hive "$work/nowhere" 0
: >"$record"
help_menu 0
box=$(wait_window Error)
if [ -n "$box" ]; then
    pass "Help without the manual shows the Error box"
    import -window "$box" "$artifacts/help-error.png" 2>/dev/null
    xdotool windowactivate --sync "$box" 2>/dev/null
    xdotool key Return
    gone Error && pass "the Error box closes with Enter" || fail "the Error box stayed open"
else
    fail "no Error box for a missing manual"
fi
sleep 0.5
[ ! -s "$record" ] && pass "no viewer is started for a missing manual" || fail "a viewer was started: $(cat "$record")"

# ---- About: picture at (10, 19), Escape closes
help_menu 1
about=$(wait_window "About Kestrin")
if [ -n "$about" ]; then
    pass "About opens the About box"
    sleep 0.5
    import -window "$about" "$artifacts/about.png" 2>/dev/null
    convert "$artifacts/about.png" -crop 63x64+10+19 +repage "$work/shown.png" 2>/dev/null
    # The frame's one-pixel line may cross the picture's edge; everything else must match.
    differ=$(compare -metric AE "$work/shown.png" "$art/135.png" null: 2>&1 | cut -d' ' -f1)
    [ -n "$differ" ] && [ "${differ%.*}" -lt 200 ] 2>/dev/null &&
        pass "About shows the product picture at (10, 19) ($differ pixels differ)" ||
        fail "About picture differs from bitmap 135 at (10, 19): ${differ:-no comparison}"
    xdotool key Escape
    gone "About Kestrin" && pass "Escape closes the About box" || fail "Escape left the About box open"
else
    fail "no About box"
fi
kill -0 "$station" 2>/dev/null && pass "the station runs on after Help and About" || fail "the station ended"
stop_station

# ---- with the station lock on, the About box and the Error box get the keys
write_station_hive "$work/nowhere" 1
start_station
# The pointer is fenced in by the lock, on the window's frame; About and Help let it out. The station
# fences at its first paint, which may come after its window shows: the checks wait for its word that
# the fence is up (its trace), and a check that fails says what the station had fenced at that moment.
pointer_x() { xdotool getmouselocation | sed 's/x:\([0-9]*\).*/\1/'; }
read -r fx fy fw fh < <(frame_of "$window")
fence=$((fx + fw)) # the first column right of the frame
fenced() { echo "station: $(fence_lines "$work/station.log" | tail -n1 | cut -d' ' -f3-)"; }
push_right() {
    xdotool mousemove --sync $((cx + 100)) $((cy + 100))
    for _ in $(seq 20); do xdotool mousemove_relative 40 0; done
    sleep 0.2
}
wait_fence "$work/station.log" 0 "$fx $fy $fw $fh" || fail "the station did not fence its frame ($(fenced))"
push_right
[ "$(pointer_x)" -lt "$fence" ] && pass "the lock keeps the pointer in the window" ||
    fail "the pointer left the locked window (x $(pointer_x), frame $fx,$fy ${fw}x$fh; $(fenced))"
help_menu 1
about=$(wait_window "About Kestrin")
if [ -n "$about" ]; then
    push_right
    [ "$(pointer_x)" -ge "$fence" ] && pass "the About box frees the pointer" ||
        fail "the pointer stayed fenced in while the About box was shown (x $(pointer_x); $(fenced))"
    fences=$(fence_lines "$work/station.log" | grep -c 'cursor fenced')
    xdotool windowactivate --sync "$about" 2>/dev/null
    xdotool key Escape
    gone "About Kestrin" && pass "Escape closes the About box under the station lock" ||
        fail "the About box got no Escape under the station lock"
    wait_fence "$work/station.log" "$fences" "$fx $fy $fw $fh" ||
        fail "the station did not fence its frame again after the About box ($(fenced))"
    push_right
    [ "$(pointer_x)" -lt "$fence" ] && pass "closing the About box fences the pointer in again" ||
        fail "the pointer stayed free after the About box closed (x $(pointer_x); $(fenced))"
else
    fail "no About box under the station lock"
fi
help_menu 0
box=$(wait_window Error)
if [ -n "$box" ]; then
    push_right
    [ "$(pointer_x)" -ge "$fence" ] && pass "Help frees the pointer" ||
        fail "the pointer stayed fenced in during Help (x $(pointer_x); $(fenced))"
    xdotool key Return
    gone Error && pass "Enter closes the Error box under the station lock" ||
        fail "the Error box got no Enter under the station lock"
else
    fail "no Error box under the station lock"
fi
kill -0 "$station" 2>/dev/null && pass "the station runs on under the lock" || fail "the station ended under the lock"
stop_station

# ---- a kiosk: nothing on the desktop opens PDF documents, so Help shows the manual inside the station,
# with the pointer free while it is read and fenced in again as soon as it closes
mkdir -p "$work/kiosk"
ln -s /usr/share/mime "$work/kiosk/mime" # the system's MIME types, none of its applications
export XDG_CONFIG_HOME=$work/kiosk XDG_DATA_HOME=$work/kiosk XDG_DATA_DIRS=$work/kiosk BROWSER=$work/viewer.sh
: >"$record"
write_station_hive "$manual_folder" 1
fences=$(fence_lines "$work/station.log" | grep -c 'cursor fenced')
start_station
read -r fx fy fw fh < <(frame_of "$window")
fence=$((fx + fw))
wait_fence "$work/station.log" "$fences" "$fx $fy $fw $fh" || fail "the kiosk station did not fence its frame ($(fenced))"
help_menu 0
manual=$(wait_window "Kestrin Advanced User Manual")
if [ -n "$manual" ]; then
    pass "Help without a PDF application shows the manual inside the station"
    sleep 0.5
    import -window "$manual" "$artifacts/manual-in-station.png" 2>/dev/null
    push_right
    [ "$(pointer_x)" -gt "$fence" ] && pass "the manual frees the pointer" ||
        fail "the pointer stayed fenced in while the manual was shown (x $(pointer_x))"
    fences=$(fence_lines "$work/station.log" | grep -c 'cursor fenced')
    xdotool windowactivate --sync "$manual" 2>/dev/null
    xdotool key Next Next Escape
    gone "Kestrin Advanced User Manual" && pass "Escape closes the manual under the station lock" ||
        fail "the manual got no Escape under the station lock"
    wait_fence "$work/station.log" "$fences" "$fx $fy $fw $fh" ||
        fail "the station did not fence its frame again after the manual ($(fenced))"
    push_right
    [ "$(pointer_x)" -lt "$fence" ] && pass "closing the manual fences the pointer in again" ||
        fail "the pointer stayed free after the manual closed (x $(pointer_x); $(fenced))"
else
    fail "no manual inside the station for a desktop without a PDF application"
fi
[ ! -s "$record" ] && pass "no viewer or browser is started on the kiosk" || fail "started: $(cat "$record")"
xdotool search --onlyvisible --name "^Error$" >/dev/null 2>&1 && fail "an Error box came with the manual"
kill -0 "$station" 2>/dev/null && pass "the station runs on after the manual" || fail "the station ended"
stop_station

if [ $failures -ne 0 ]; then
    echo "help_about_e2e: $failures check(s) failed; the station said:"
    grep -v 'kestrin-trace [0-9]* paint' "$work/station.log" | tail -n 40
    exit 1
fi
echo "help_about_e2e: all checks passed"
