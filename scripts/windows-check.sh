#!/usr/bin/env bash
# The Windows programs under Wine on the Xorg dummy server (run by
# scripts/windows.sh --check inside scripts/with-xorg-dummy.sh and
# scripts/with-wine.sh): CHECK_DIR holds the unpacked zip, LINUX_BUILD the
# Linux tools that put the EDIDs on and watch the screen.
set -euo pipefail
fail() {
    echo "windows check: $*" >&2
    exit 1
}

# DUMMY0 1920x1080 at 0,0 and DUMMY1 1280x720 right of it (the dummy driver
# connects an output once it has a mode and has been probed), each with a
# real monitor's EDID (DUMMY1's native resolution is its mode, which the
# pattern tests ask for). Wine reads the layout when its programs look.
xrandr --output DUMMY0 --mode 1920x1080 --pos 0x0 --primary
xrandr --addmode DUMMY1 1280x720
xrandr --output DUMMY1 --mode 1280x720 --right-of DUMMY0
xrandr -q >/dev/null
"$LINUX_BUILD/bin/set_output_edid" DUMMY0 Digital/Eizo/ENC2291/F367AC7049CD
"$LINUX_BUILD/bin/set_output_edid" DUMMY1 Digital/Others/IND3230/AB12FA57E390
cd "$CHECK_DIR"

wine OrvaneDiagnosticsCLI.exe --list >list.txt 2>&1 || fail "--list failed: $(cat list.txt)"
cat list.txt
grep -q EV2315W list.txt || fail "--list does not name DUMMY0's monitor (EV2315W)"
grep -q LCDTV list.txt || fail "--list does not name DUMMY1's monitor (LCDTV)"
grep -q "1920,0" list.txt || fail "--list does not give dpy2's position (1920,0)"

wine OrvaneDiagnosticsCLI.exe -Mdisplay -Q"f" --json >fitting.json 2>fitting.err ||
    fail "-Mdisplay -Q\"f\" failed: $(cat fitting.err)"
grep -q '"resultName"' fitting.json || fail "-Mdisplay -Q\"f\" wrote no results"
echo "windows check: -Mdisplay -Q\"f\" ran on both displays"

# Each window must show its pattern on dpy2 pixel for pixel, read back from
# the X server's root window while it is up; the scripted answers end it.
for pattern in red mesh; do
    test=r
    [ "$pattern" = mesh ] && test=m
    wine OrvaneDiagnosticsCLI.exe -Mdisplay "-Q$test" dpy2 --answers=continue,yes \
        --set CSAT.CSAT_TEST_TIMEOUT=6 --json >"$pattern.json" 2>"$pattern.err" &
    run=$!
    watch=0
    "$LINUX_BUILD/bin/root_pattern_watch" "$pattern" 1920 0 1280 720 30 || watch=$?
    wait "$run" || fail "-Q$test dpy2 failed: $(cat "$pattern.err")"
    [ "$watch" -eq 0 ] || fail "dpy2 did not show the $pattern pattern pixel for pixel at (1920,0)"
    grep -q '"Passed"' "$pattern.json" || fail "-Q$test dpy2 did not pass: $(cat "$pattern.json")"
    echo "windows check: $pattern on dpy2 read back pixel for pixel at (1920,0)"
done

# The console's end of input answers the first question cancel and stops
# the run: the test is not performed, the exit status says so.
status=0
wine OrvaneDiagnosticsCLI.exe -Mdisplay -Qr dpy2 --json </dev/null >cancel.json 2>cancel.err ||
    status=$?
[ "$status" -eq 3 ] || fail "-Qr dpy2 at the end of input ended with $status: $(cat cancel.err)"
grep -q '\[C/x\]' cancel.err || fail "-Qr dpy2 asked no [C/x] question: $(cat cancel.err)"
echo "windows check: the end of input cancels (exit status 3)"
status=0
wine OrvaneDiagnosticsCLI.exe --bogus >bogus.txt 2>&1 || status=$?
[ "$status" -eq 2 ] && [ "$(wc -l <bogus.txt)" -eq 1 ] ||
    fail "an unknown option ended with $status: $(cat bogus.txt)"

wine OrvaneDiagnostics.exe --version >version.txt 2>&1 || fail "OrvaneDiagnostics.exe --version failed"
grep -q 4.35.1.6 version.txt || fail "OrvaneDiagnostics.exe --version said: $(cat version.txt)"

# The front end's main window finds both displays, read from a screenshot
# of the X server (kept in SCREENSHOTS when given).
wine OrvaneDiagnostics.exe >gui.txt 2>&1 &
gui=$!
window=$(timeout 60 xdotool search --sync --name "Orvane Diagnostics - Displays" | head -1) ||
    fail "the front end's window did not appear: $(cat gui.txt)"
sleep 3
xwd -root -silent | xwdtopnm 2>/dev/null | pnmtopng >gui.png
if [ -n "${SCREENSHOTS:-}" ]; then
    mkdir -p "$SCREENSHOTS"
    cp gui.png "$SCREENSHOTS/windows-main-window.png"
fi
eval "$(xdotool getwindowgeometry --shell "$window")"
pngtopnm gui.png | pnmcut "$X" "$Y" "$WIDTH" "$HEIGHT" | pnmscale 2 | pnmtopng >window.png
tesseract window.png window >/dev/null 2>&1
kill "$gui" 2>/dev/null || true
wait "$gui" 2>/dev/null || true
# Read from the log and the picker, whose text recognition is reliable.
for text in "Displays refreshed: 2 found" "LCDTV"; do
    grep -q "$text" window.txt || fail "the front end does not show $text: $(tr '\n' ' ' <window.txt)"
done
echo "windows check: the front end found both displays"
echo "windows check: passed"
