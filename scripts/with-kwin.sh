#!/usr/bin/env bash
# Runs a command against a private KWin: the Wayland compositor of KDE Plasma
# on its virtual backend (software rendering, no GPU), with two 1920x1080
# outputs side by side, its own session bus, a 0700 XDG_RUNTIME_DIR and a
# fresh HOME. WAYLAND_DISPLAY, XDG_RUNTIME_DIR, HOME and
# DBUS_SESSION_BUS_ADDRESS point at it while the command runs; KWIN_PID names
# the compositor's process for tests that stop it, KWIN_LOG its output (where
# its scripts print). The compositor is always
# stopped afterwards and the command's exit status is returned. With
# KWIN_XWAYLAND=1 it also runs its X server for X11 clients, named by DISPLAY.
#   scripts/with-kwin.sh COMMAND [ARGS...]
set -euo pipefail
[ $# -gt 0 ] || { echo "usage: scripts/with-kwin.sh COMMAND [ARGS...]" >&2; exit 2; }

for tool in kwin_wayland dbus-run-session wayland-info; do
    if ! command -v "$tool" >/dev/null; then
        echo "with-kwin: $tool is not installed (run scripts/setup.sh)" >&2
        exit 1
    fi
done

workdir=$(mktemp -d /tmp/module-display-kwin.XXXXXX)
mkdir -m 0700 "$workdir/runtime" "$workdir/home" "$workdir/bin"
# Debian's binary carries a file capability (for real-time scheduling) that
# containers refuse to execute; a plain copy runs the same compositor.
install -m755 "$(command -v kwin_wayland)" "$workdir/bin/kwin_wayland"
socket=kwin-test-$$

export XDG_RUNTIME_DIR="$workdir/runtime"
export HOME="$workdir/home"
export WAYLAND_DISPLAY="$socket"
unset DISPLAY XDG_SESSION_TYPE

# The session bus lives as long as the compositor; the command joins it
# through the address the bus writes out. KWin's own switch for tests lets
# any client of the bus read the screen back (org.kde.KWin.ScreenShot2).
export KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1
cat >"$workdir/session.sh" <<'SESSION'
#!/usr/bin/env bash
echo "$DBUS_SESSION_BUS_ADDRESS" >"$1/bus-address"
xwayland=()
[ "${KWIN_XWAYLAND:-}" = 1 ] && xwayland=(--xwayland)
exec "$1/bin/kwin_wayland" --virtual --width 1920 --height 1080 --output-count 2 "${xwayland[@]}" \
    --socket "$2"
SESSION
chmod +x "$workdir/session.sh"
setsid dbus-run-session -- "$workdir/session.sh" "$workdir" "$socket" \
    >"$workdir/kwin.log" 2>&1 &
session_pid=$!

stop_compositor() {
    if kill -0 "$session_pid" 2>/dev/null; then
        # The whole session (bus and compositor) is one process group.
        kill -- "-$session_pid" 2>/dev/null || true
        for _ in $(seq 50); do
            kill -0 "$session_pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -9 -- "-$session_pid" 2>/dev/null || true
    fi
    rm -rf "$workdir"
}
trap stop_compositor EXIT

ready=""
for _ in $(seq 100); do
    if [ -S "$XDG_RUNTIME_DIR/$socket" ] && [ -s "$workdir/bus-address" ] &&
        wayland-info 2>/dev/null | grep -q kde_output_device_v2; then
        ready=yes
        break
    fi
    kill -0 "$session_pid" 2>/dev/null || break
    sleep 0.1
done
if [ -z "$ready" ]; then
    echo "with-kwin: KWin did not start; its log:" >&2
    tail -n 30 "$workdir/kwin.log" >&2 || true
    exit 1
fi
DBUS_SESSION_BUS_ADDRESS=$(cat "$workdir/bus-address")
export DBUS_SESSION_BUS_ADDRESS
KWIN_PID=$(pgrep -s "$session_pid" -x kwin_wayland | head -n 1 || true)
export KWIN_PID
export KWIN_LOG="$workdir/kwin.log"
if [ "${KWIN_XWAYLAND:-}" = 1 ]; then
    # KWin picks a free display number and hands it to its X server.
    for _ in $(seq 100); do
        xpid=$(pgrep -P "$KWIN_PID" -x Xwayland | head -n 1 || true)
        if [ -n "$xpid" ]; then
            DISPLAY=$(tr '\0' '\n' <"/proc/$xpid/cmdline" | grep -m1 '^:[0-9]' || true)
            [ -n "$DISPLAY" ] && break
        fi
        sleep 0.1
    done
    if [ -z "${DISPLAY:-}" ]; then
        echo "with-kwin: KWin started no X server" >&2
        exit 1
    fi
    export DISPLAY
fi
echo "with-kwin: KWin on $WAYLAND_DISPLAY (process $KWIN_PID)" >&2

status=0
"$@" || status=$?
if [ "$status" -ne 0 ]; then
    echo "with-kwin: the command ended with status $status; tail of the compositor's log:" >&2
    tail -n 15 "$workdir/kwin.log" >&2 || true
fi
exit "$status"
