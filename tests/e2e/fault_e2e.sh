#!/usr/bin/env bash
# The station under the faults a door meets, each a block with its own ok/FAIL lines: kill -9 at several
# moments around a verdict, the hive damaged and emptied while running, a held hive lock, a held log lock
# (short and long), a read-only log file, the log folder removed, two stations on one hive. After each: no
# row of a verdict that was shown is lost, none is there twice, every line of every log file is a whole
# row, and the station still answers. Waits are on the station's trace lines, with deadlines generous
# enough for a sanitizer build on a loaded machine. The pointer fence is pointer_e2e's.
#
# usage: fault_e2e.sh <kestrin executable> <artefacts folder>
set -uo pipefail

kestrin=$(realpath "$1")
artifacts=$2
mkdir -p "$artifacts"
rm -f "$artifacts"/*.trace "$artifacts"/figures.txt

# shellcheck source=../support/e2e.sh
source "$(dirname "$0")/../support/e2e.sh"
e2e_begin
unset station_pid
declare -A station_pid trace_of window_of
immutable=""

# Stations are killed outright here, and their traces kept.
e2e_cleanup_hook() {
    [ -n "$immutable" ] && chattr -i "$immutable" 2>/dev/null
    touch "$work/release" 2>/dev/null
    for pid in "${station_pid[@]}" "${pids[@]}"; do kill -9 "$pid" 2>/dev/null; done
    wait 2>/dev/null
    cp "$work"/*.trace "$artifacts/" 2>/dev/null
}

figure() { echo "$*" | tee -a "$artifacts/figures.txt"; }

start_x11_session

# ---- the settings: every option set, so that no station adds one; no "Always On Top", so that two
# stations can share the desktop and the keys go to whichever is active
# The log folder two levels down: with its parent gone the station cannot make it again (as a share that is
# away), so its rows must wait.
share="$work/share"
logs="$share/logs"
hive="$work/registry.reg"
mkdir -p "$logs" "$work/cwd"
write_station_hive() { # <file> <log number>
    write_hive "$1" "Log Folder=$logs" "Log Name=Kestrin Log" "App Folder=$work" "Log Number=dword:$2" \
        "Valid Age=dword:21" "Enable Log=dword:1" "Enable Ontop=dword:0" "Enable Comments=dword:0" \
        "Count Valid DL Only=dword:1" "Verdict Delay=dword:1000"
}
write_station_hive "$hive" 40
# A number is replaced by rename, as the station itself replaces the hive.
set_dword() { # <name> <value>
    sed -E "s/^(\"$1\"=)dword:[0-9a-fA-F]{8}/\\1$(printf 'dword:%08x' "$2")/" "$hive" >"$hive.edit" && mv "$hive.edit" "$hive"
}
dword_of() { grep -a "^\"$1\"=" "$hive" | head -n1 | sed -E 's/.*dword:([0-9a-f]{8}).*/\1/'; }

# ---- waiting on a station's trace: sets found (the line) and found_at (its number)
found=""
found_at=0
wait_for() { # <trace> <extended regex> <after line> [seconds]
    local limit=$(($(now_ms) + ${4:-25} * 1000)) hit
    while :; do
        hit=$(tail -n +"$(($3 + 1))" "$1" | grep -n -m1 -E -- "$2")
        if [ -n "$hit" ]; then
            found=${hit#*:}
            found_at=$(($3 + ${hit%%:*}))
            return 0
        fi
        [ "$(now_ms)" -gt "$limit" ] && return 1
        sleep 0.02
    done
}
lines_of() { wc -l <"$1"; }
time_of() { awk '{print $2}' <<<"$1"; }

start_station() { # <name> [hive]
    local name=$1
    trace_of[$name]="$work/$name.trace"
    # Started in an empty folder of its own, so that a file written beside the log folder would show.
    (cd "$work/cwd" && exec env KESTRIN_REGISTRY="${2:-$hive}" KESTRIN_TRACE=1 QT_QPA_PLATFORM=xcb "$kestrin") \
        2>"${trace_of[$name]}" &
    station_pid[$name]=$!
    if ! wait_for "${trace_of[$name]}" 'paint Ready' 0 60; then
        fail "$name: \"Ready!\" never painted"
        return 1
    fi
    # Asked again until it answers: one search ends at the first X error, which a window vanishing
    # meanwhile gives.
    local deadline=$((SECONDS + 30))
    window_of[$name]=""
    while [ -z "${window_of[$name]}" ] && [ "$SECONDS" -lt "$deadline" ]; do
        window_of[$name]=$(xdotool search --all --onlyvisible --pid "${station_pid[$name]}" \
            --name '^Orbelon Kestrin$' 2>/dev/null | head -n1)
        [ -n "${window_of[$name]}" ] || sleep 0.1
    done
    [ -n "${window_of[$name]}" ] || { fail "$name: no station window"; return 1; }
}

stop_station() { # <name>: as the operator does, Alt+F4
    local name=$1 pid=${station_pid[$1]}
    activate "$name"
    xdotool key --delay 0 alt+F4
    for _ in $(seq 200); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
    kill -0 "$pid" 2>/dev/null && { fail "$name: Alt+F4 left it open"; kill -9 "$pid"; }
    wait "$pid" 2>/dev/null
    unset "station_pid[$name]"
}

activate() { # <name>
    local window=${window_of[$1]}
    for _ in $(seq 100); do
        [ "$(xdotool getactivewindow 2>/dev/null)" = "$window" ] && return 0
        xdotool windowactivate "$window" 2>/dev/null
        sleep 0.05
    done
    fail "$1: could not activate its window"
    return 1
}

# A California licence whose DL# (the row's tenth field) names the scan.
swipe_of() { echo "%CASACRAMENTO^DOE\$JOHN\$Q^123 MAIN ST^?;636014$1=08121980061500?#0295814      C               1508150BRNBLU?"; }
next_dl=2000000
shown=()  # DL#s whose verdict was painted: their rows must be in the log, once
swiped=() # every DL# typed: none may be in the log twice

# Types a swipe and Enter into station <name>; sets dl and mark (the trace line before it).
type_swipe() { # <name>
    next_dl=$((next_dl + 1))
    dl=$next_dl
    activate "$1"
    mark=$(lines_of "${trace_of[$1]}")
    swiped+=("$dl")
    xdotool type --delay 0 -- "$(swipe_of "$dl")"
    xdotool key --delay 0 Return
}

# Whether the verdict of the scan after `mark` was painted: the row is settled first ("log row written" or
# "not written"), then the result paints. Sets row_state, enter_ms and paint_ms.
verdict_painted() { # <name> [seconds]
    local trace=${trace_of[$1]} row_at
    row_state=""
    enter_ms=""
    paint_ms=""
    wait_for "$trace" 'key Enter' "$mark" "${2:-25}" || return 1
    enter_ms=$(time_of "$found")
    wait_for "$trace" 'log row (not )?written' "$mark" "${2:-25}" || return 1
    row_state=${found#* log row }
    row_at=$found_at
    wait_for "$trace" 'paint CardShown' "$row_at" "${2:-25}" || return 1
    paint_ms=$(time_of "$found")
    shown+=("$dl")
}

# A whole scan with comments off: sets the same as verdict_painted; false (and a FAIL) without a verdict.
scan() { # <name> <what for the messages>
    type_swipe "$1"
    verdict_painted "$1" || { fail "$2: no verdict painted for $dl"; return 1; }
}

# A whole scan with the Comments dialog: the comment "c<DL#>" goes into the row.
scan_with_comments() { # <name> <what>
    scan "$@" || return 1
    wait_for "${trace_of[$1]}" 'comments open' "$mark" || { fail "$2: no Comments dialog for $dl"; return 1; }
    sleep 0.2
    xdotool type --delay 0 -- "c$dl"
    xdotool key --delay 0 Return
    wait_for "${trace_of[$1]}" 'comments closed' "$mark" || fail "$2: the Comments dialog did not close"
}

# ---- the log files: every line a whole row, CR LF ended, the header first and only there. Prints a line
# "row <file> <DL#> <fields>" per row, and "bad <what>" per fault.
header='"DATE & TIME","NAME","AGE","SEX","STATE","CITY","ADDRESS","POSTAL CODE","BIRTHDATE","DL#","EXPIRATION DATE","ISOIIN","RESTRICTIONS","HEIGHT","WEIGHT","HAIR COLOR","EYE COLOR","DATE","TIME"'
cat >"$work/rows.pl" <<'PERL'
use strict;
my $header = shift;
for my $file (@ARGV) {
    open(my $in, '<:raw', $file) or do { print "bad $file: cannot read\n"; next };
    my $data = do { local $/; <$in> };
    my $name = $file =~ s{.*/}{}r;
    if ($data eq '') { print "bad $name: empty, no header\n"; next }
    print "bad $name: the last line is not ended by CR LF\n" unless $data =~ /\r\n\z/;
    my @lines = split /\r\n/, $data, -1;
    pop @lines if @lines && $lines[-1] eq '';
    for my $i (0 .. $#lines) {
        my $line = $lines[$i];
        my $n = $i + 1;
        if ($i == 0) { print "bad $name: line 1 is not the header\n" unless $line eq $header; next }
        if ($line eq $header) { print "bad $name: the header again at line $n\n"; next }
        if ($line =~ /[\r\n]/) { print "bad $name: line $n holds a bare CR or LF\n"; next }
        my @fields;
        my $whole = 0;
        while ($line =~ /\G"((?:[^"]|"")*)"/gc) {
            push @fields, $1;
            if (pos($line) == length $line) { $whole = 1; last }
            last unless $line =~ /\G,/gc;
        }
        if (!$whole || (@fields != 19 && @fields != 21)) {
            print "bad $name: line $n is torn (" . scalar(@fields) . " fields): $line\n";
            next;
        }
        print "row $name $fields[9] " . scalar(@fields) . "\n";
    }
}
PERL
read_rows() { # [files...]: the checker's lines for the given files (all log files when none)
    local files=("$@")
    [ ${#files[@]} -gt 0 ] || mapfile -t files < <(find "$logs" -maxdepth 1 -name 'Kestrin Log*.csv' | sort)
    [ ${#files[@]} -gt 0 ] || return 0
    perl "$work/rows.pl" "$header" "${files[@]}"
}
# The DL#s of a file's rows, in order, on one line.
dls_in() { read_rows "$1" | awk '$1 == "row" {print $(NF - 1)}' | xargs; }
run_file() { echo "$logs/Kestrin Log $(LC_ALL=C date +'%Y %b') #$1.csv"; }
# The run number a station took: "Log Number" right after its start.
run_now() { echo $((16#$(dword_of 'Log Number'))); }

# Every row whole, every shown verdict's row there exactly once, no swipe's row twice.
check_all_rows() { # <what>
    local rows bad
    rows=$(read_rows)
    bad=$(grep '^bad' <<<"$rows")
    [ -z "$bad" ] && pass "$1: every line of $(find "$logs" -name '*.csv' | wc -l) log file(s) is a whole row" \
        || fail "$1: $bad"
    local logged lost=0 twice
    logged=$(awk '$1 == "row" {print $(NF - 1)}' <<<"$rows" | sort)
    for d in "${shown[@]}"; do grep -qx "$d" <<<"$logged" || { fail "$1: the row of shown verdict $d is lost"; lost=$((lost + 1)); }; done
    twice=$(uniq -d <<<"$logged" | xargs)
    [ -z "$twice" ] || fail "$1: rows logged twice: $twice"
    [ $lost -eq 0 ] && [ -z "$twice" ] && pass "$1: all ${#shown[@]} shown verdicts logged, none twice ($(wc -l <<<"$logged") rows)"
}

echo "== pointer moves: covered by ctest pointer_e2e (tests/e2e/pointer_e2e.sh)"

# ==== 1. kill -9 at several moments around a verdict
echo "== kill -9 around a verdict"
# comments (0/1) and the moment: Enter seen (+ a delay in s), verdict painted, Comments dialog open,
# comments being typed, comments' Enter sent (+ a delay).
# The row is written when the reader's quiet period after Enter is over (about a second: "Verdict Delay"
# 1000 keeps it for every scan, also for the complete swipes typed here), so the delays after Enter fall
# before, around and after that write.
kill_plan=("0 enter 0" "0 enter 0.5" "0 enter 0.85" "0 enter 0.92" "0 enter 0.97" "0 row" "0 paint" "1 row"
    "1 paint" "1 open" "1 typing" "1 commented 0" "1 commented 0.03")
kills=0
for plan in "${kill_plan[@]}"; do
    read -r comments moment delay <<<"$plan"
    set_dword "Enable Comments" "$comments"
    name="kill$kills"
    start_station "$name" || break
    # One scan that completes, then the one killed.
    if [ "$comments" = 1 ]; then scan_with_comments "$name" "$plan"; else scan "$name" "$plan"; fi
    trace=${trace_of[$name]}
    type_swipe "$name"
    case $moment in
    enter) wait_for "$trace" 'key Enter' "$mark" && sleep "$delay" ;;
    row) wait_for "$trace" 'log row' "$mark" ;;
    paint) wait_for "$trace" 'log row' "$mark" && wait_for "$trace" 'paint CardShown' "$found_at" ;;
    open) wait_for "$trace" 'comments open' "$mark" ;;
    typing)
        wait_for "$trace" 'comments open' "$mark" && sleep 0.2
        xdotool type --delay 0 -- "half a comm"
        ;;
    commented)
        wait_for "$trace" 'comments open' "$mark" && sleep 0.2
        xdotool type --delay 0 -- "c$dl"
        xdotool key --delay 0 Return
        sleep "$delay"
        ;;
    esac || fail "kill at '$plan': the moment never came"
    kill -9 "${station_pid[$name]}"
    wait "${station_pid[$name]}" 2>/dev/null
    unset "station_pid[$name]"
    kills=$((kills + 1))
    # Whether the killed scan's verdict had been painted, from what the trace got out before the kill.
    if verdict_painted "$name" 0; then state="verdict shown"; else state="no verdict yet"; fi
    echo "    kill at '$plan': $state"
done
check_all_rows "after $kills kills"
figure "kill -9: $kills kills, ${#shown[@]} verdicts shown, $(read_rows | grep -c '^row') rows kept in $(find "$logs" -name '*.csv' | wc -l) files"

# ==== one station for blocks 2 to 6, Comments off
set_dword "Enable Comments" 0
start_station main || { echo "$failures check(s) failed"; exit 1; }
run=$(run_now)
log=$(run_file "$run")
# The verdict paints after the reader's quiet period; a fault may add to that, but not much.
baseline=1000
if scan main "first scan" && [ "$row_state" = written ] && [ -f "$log" ]; then
    pass "first scan logged in '$(basename "$log")'"
    baseline=$((paint_ms - enter_ms))
    figure "no fault: Enter to verdict painted $baseline ms (the reader's quiet period included)"
else
    fail "first scan not in '$log' ($(ls "$logs"))"
fi

# ==== 2. the hive damaged, then emptied, while the station runs
echo "== hive damaged and emptied"
cp "$hive" "$work/good.reg"
before=$(dls_in "$log")
printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTW\x00\xff\xfe garbage "Log Folder"=\r\n' >"$hive.damaged"
mv "$hive.damaged" "$hive"
scan main "damaged hive" && [ "$row_state" = written ] && pass "damaged hive: the scan decodes and is logged" \
    || fail "damaged hive: row '$row_state'"
: >"$hive"
scan main "emptied hive" && [ "$row_state" = written ] && pass "emptied hive: the scan decodes and is logged" \
    || fail "emptied hive: row '$row_state'"
kept=$(dls_in "$log")
[ "$kept" = "$(xargs <<<"$before ${shown[*]: -2}")" ] && pass "both rows went to the same file, in order" \
    || fail "rows in '$log': '$kept', expected '$before ${shown[*]: -2}'"
reports=$(grep -c 'cannot read the settings' "${trace_of[main]}")
[ "$reports" -eq 1 ] && pass "the read failure reported once on stderr" || fail "the read failure reported $reports times"
mv "$work/good.reg" "$hive.good" && mv "$hive.good" "$hive"
scan main "hive back" && [ "$row_state" = written ] && pass "hive back: scans logged" || fail "hive back: row '$row_state'"
grep -q 'can be read again' "${trace_of[main]}" && pass "the mended hive reported" || fail "no report that the hive can be read again"
check_all_rows "after the hive faults"

# ==== 3. the hive lock held by another process
echo "== hive lock held"
rm -f "$work/release"
flock -x "$hive.lock" sh -c ": >'$work/held'; while [ ! -e '$work/release' ]; do sleep 0.05; done" &
holder=$!
pids+=($holder)
for _ in $(seq 500); do [ -e "$work/held" ] && break; sleep 0.01; done
[ -e "$work/held" ] || fail "the hive lock was never taken"
for n in 1 2; do
    if scan main "hive lock held"; then
        took=$((paint_ms - enter_ms))
        figure "hive lock held: Enter to verdict painted $took ms"
        [ "$took" -lt $((baseline + 1000)) ] && pass "hive lock held: scan $n painted in $took ms" \
            || fail "hive lock held: scan $n took $took ms, against $baseline ms without"
    fi
done
# A setting changed meanwhile waits (at most 250 ms) and is kept in memory; the station stays usable, and
# the kept change is saved with the next change once the lock is free.
menu_item() { # <Downs to the item>: Options > the item, with the mouse and the keys
    local x y
    x=$(xwininfo -id "${window_of[main]}" | awk '/Absolute upper-left X/{print $4}')
    y=$(xwininfo -id "${window_of[main]}" | awk '/Absolute upper-left Y/{print $4}')
    activate main
    xdotool mousemove $((x + 70)) $((y + 10)) click 1
    sleep 0.4
    for _ in $(seq "$1"); do xdotool key Down; done
    xdotool key Return
    sleep 0.4
}
menu_item 4 # "Count Valid DL Only" off
grep -q 'cannot save the settings' "${trace_of[main]}" && pass "hive lock held: the unsaved change reported" \
    || fail "hive lock held: no report of the unsaved change"
scan main "after a change under the hive lock" && pass "hive lock held: the station still answers after a change"
touch "$work/release"
wait "$holder"
rm -f "$work/held" "$work/release"
menu_item 3 # "Enable Comments" on
[ "$(dword_of 'Count Valid DL Only') $(dword_of 'Enable Comments')" = "00000000 00000001" ] \
    && pass "the kept change saved with the next one once the lock was free" \
    || fail "after the lock: Count Valid DL Only '$(dword_of 'Count Valid DL Only')', Enable Comments '$(dword_of 'Enable Comments')'"
menu_item 3 # "Enable Comments" off again
[ "$(dword_of 'Enable Comments')" = 00000000 ] || fail "Enable Comments not off again"
check_all_rows "after the hive lock"

# ==== 4. the log file's lock held by another writer, briefly and long
echo "== log lock held"
# Briefly: taken before Enter and let go a little after the write begins (when the quiet period after
# Enter is over); the writer waits for it and writes in place. The holder lets go at the very millisecond
# asked, however loaded the machine.
rm -f "$work/held" "$work/release_at" "$work/released"
perl -MFcntl=:flock -MTime::HiRes=time,sleep -e '
    open(my $log, ">>", $ARGV[0]) or die "cannot open $ARGV[0]: $!";
    flock($log, LOCK_EX) or die "cannot lock $ARGV[0]: $!";
    open(my $held, ">", $ARGV[1]) or die;
    close($held);
    sleep 0.005 until -s $ARGV[2];
    open(my $at, "<", $ARGV[2]);
    my $until = <$at>;
    sleep 0.001 while time() * 1000 < $until;
    printf "%d\n", time() * 1000;' "$log" "$work/held" "$work/release_at" >"$work/released" &
holder=$!
pids+=($holder)
for _ in $(seq 500); do [ -e "$work/held" ] && break; sleep 0.01; done
type_swipe main
if wait_for "${trace_of[main]}" 'key Enter' "$mark"; then
    echo $(($(time_of "$found") + baseline + 80)) >"$work/release_at.new"
else
    now_ms >"$work/release_at.new"
fi
mv "$work/release_at.new" "$work/release_at"
wait "$holder"
released=$(cat "$work/released")
if [ -z "$released" ]; then
    fail "short log lock: the lock was never held"
elif verdict_painted main; then
    written_ms=$(time_of "$(grep 'log row' "${trace_of[main]}" | tail -n1)")
    figure "short log lock: let go $((released - enter_ms)) ms after Enter, row written $((written_ms - released)) ms after that"
    [ "$row_state" = written ] && [ "$(dls_in "$log" | awk '{print $NF}')" = "$dl" ] \
        && pass "short log lock: the row waited and went in place" || fail "short log lock: row '$row_state'"
else
    fail "short log lock: no verdict painted"
fi
rm -f "$work/release"
rm -f "$work/held"
# Long: the rows wait in the spool next to the hive and go in, in order, at the next scan after it.
flock -x "$log" sh -c ": >'$work/held'; while [ ! -e '$work/release' ]; do sleep 0.05; done" &
holder=$!
pids+=($holder)
for _ in $(seq 200); do [ -e "$work/held" ] && break; sleep 0.01; done
waiting=()
for n in 1 2; do
    scan main "long log lock" && waiting+=("$dl")
    [ "$row_state" = "not written" ] || fail "long log lock: scan $n row '$row_state'"
done
grep -q 'cannot write the scan log' "${trace_of[main]}" && pass "long log lock: reported on stderr" \
    || fail "long log lock: no report on stderr"
xdotool search --all --onlyvisible --pid "${station_pid[main]}" --name '^Error$' >/dev/null 2>&1 \
    && pass "long log lock: \"Couldn't open logfile\" shown" || fail "long log lock: no \"Couldn't open logfile\" box"
spooled=$(cat "$hive".spool.* 2>/dev/null | grep -ac 'DOE JOHN Q')
[ "$spooled" -ge 2 ] && pass "long log lock: both rows kept in the spool" || fail "long log lock: $spooled rows in the spool"
touch "$work/release"
wait "$holder"
rm -f "$work/held" "$work/release"
before=$(dls_in "$log")
scan main "log lock released" && [ "$row_state" = written ] || fail "log lock released: row '$row_state'"
[ "$(dls_in "$log" | awk '{print $(NF - 2), $(NF - 1), $NF}')" = "${waiting[*]} $dl" ] \
    && pass "log lock released: the kept rows went in first, in order" \
    || fail "log lock released: file ends '$(dls_in "$log" | awk '{print $(NF - 2), $(NF - 1), $NF}')', expected '${waiting[*]} $dl'"
check_all_rows "after the log lock"

# ==== 5. the log file read-only
echo "== read-only log file"
# As root a mode of 0444 does not stop a write; the immutable flag does.
if chattr +i "$log" 2>/dev/null; then
    immutable=$log
    scan main "read-only log" && [ "$row_state" = "not written" ] && pass "read-only log: the row is kept, not written" \
        || fail "read-only log: row '$row_state'"
    waiting=("$dl")
    [ "$(grep -c 'cannot write the scan log' "${trace_of[main]}")" -eq 2 ] \
        && pass "read-only log: reported (a new run of failures)" || fail "read-only log: not reported once more"
    chattr -i "$log"
    immutable=""
    scan main "log writable again" && [ "$row_state" = written ] || fail "log writable again: row '$row_state'"
    [ "$(dls_in "$log" | awk '{print $(NF - 1), $NF}')" = "${waiting[*]} $dl" ] \
        && pass "log writable again: the kept row went in first" || fail "log writable again: rows out of order"
else
    echo "SKIP: read-only log file: chattr +i is not possible here"
fi

# ==== 6. the log folder removed
echo "== log folder removed"
mv "$share" "$share.away"
waiting=()
for n in 1 2; do
    scan main "no log folder" && waiting+=("$dl")
    [ "$row_state" = "not written" ] || fail "no log folder: scan $n row '$row_state'"
done
strays=$( (ls -A "$work/cwd"; find "$work" /tmp "${HOME:-/nonexistent}" / -maxdepth 1 -name 'Kestrin Log*' 2>/dev/null;
    [ -e "$share" ] && echo "$share") | xargs)
[ -z "$strays" ] && pass "no log folder: nothing written outside it" || fail "no log folder: written elsewhere: $strays"
mv "$share.away" "$share"
scan main "log folder back" && [ "$row_state" = written ] || fail "log folder back: row '$row_state'"
[ "$(dls_in "$log" | awk '{print $(NF - 2), $(NF - 1), $NF}')" = "${waiting[*]} $dl" ] \
    && pass "log folder back: the kept rows went in first, in order" || fail "log folder back: rows out of order"
check_all_rows "after the log folder faults"
stop_station main
[ -z "$(ls "$hive".spool.* 2>/dev/null)" ] && pass "nothing left in the spool at a clean exit" \
    || fail "spool files left: $(ls "$hive".spool.*)"

# ==== 7. two stations on one hive
echo "== two stations on one hive"
start_station first
run_a=$(run_now)
start_station second
run_b=$(run_now)
declare -A got
for round in 1 2 3; do
    # The second round runs after a third party has set "Log Number" to a number neither run has.
    [ $round = 2 ] && set_dword "Log Number" 77
    for name in first second second first; do
        scan "$name" "two stations" && [ "$row_state" = written ] || fail "two stations: $name row '$row_state'"
        got[$name]="${got[$name]:-} $dl"
    done
done
[ "$(dls_in "$(run_file "$run_a")")" = "$(xargs <<<"${got[first]}")" ] \
    && pass "two stations: the first kept to its own file #$run_a" || fail "two stations: file #$run_a: $(dls_in "$(run_file "$run_a")")"
[ "$(dls_in "$(run_file "$run_b")")" = "$(xargs <<<"${got[second]}")" ] \
    && pass "two stations: the second kept to its own file #$run_b" || fail "two stations: file #$run_b: $(dls_in "$(run_file "$run_b")")"
[ ! -e "$(run_file 77)" ] && [ ! -e "$(run_file 78)" ] || fail "two stations: a file for the changed \"Log Number\""
check_all_rows "after two stations"
stop_station first
stop_station second

figure "total: $kills kills, ${#swiped[@]} swipes, ${#shown[@]} verdicts shown, $(read_rows | grep -c '^row') rows kept"
echo "artefacts in $artifacts"
[ $failures -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "all fault checks passed"
