#!/usr/bin/env bash
# Runs a command on the X display in DISPLAY under a window manager
# (openbox), as a person's desktop has one: windows get frames, focus and
# placement from it. The window manager is stopped when the command ends.
# Without openbox the command runs alone.
set -uo pipefail
wm=""
if command -v openbox >/dev/null 2>&1; then
    openbox --sm-disable >/dev/null 2>&1 &
    wm=$!
    # Until it has taken the screen, windows would map unmanaged.
    for _ in $(seq 50); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break
        sleep 0.1
    done
fi
"$@"
status=$?
[ -n "$wm" ] && kill "$wm" 2>/dev/null && wait "$wm" 2>/dev/null
exit $status
