#!/usr/bin/env bash
# Runs a command inside a private headless GNOME compositor: its own session
# bus and XDG_RUNTIME_DIR, two virtual monitors (Meta-0 1920x1080 at 0,0 and
# Meta-1 1280x1024 at 1920,0), no X server. WAYLAND_DISPLAY and
# DBUS_SESSION_BUS_ADDRESS point at it (MUTTER_PID names it) while the command runs; the compositor
# and its bus are always stopped afterwards, and the command's status returned.
#   scripts/with-mutter.sh COMMAND [ARGS...]
set -euo pipefail
[ $# -gt 0 ] || { echo "usage: scripts/with-mutter.sh COMMAND [ARGS...]" >&2; exit 2; }
for tool in mutter dbus-run-session gdbus; do
    command -v "$tool" >/dev/null || { echo "with-mutter: $tool is not installed (run scripts/setup.sh)" >&2; exit 1; }
done

runtime=$(mktemp -d /tmp/module-display-mutter.XXXXXX)
chmod 700 "$runtime"
session_pid=""
# Stopping mutter ends dbus-run-session, which then stops its bus.
stop_compositor() {
    local pid
    pid=$(cat "$runtime/mutter.pid" 2>/dev/null || true)
    [ -z "$pid" ] || kill "$pid" 2>/dev/null || true
    for _ in $(seq 50); do
        kill -0 "$session_pid" 2>/dev/null || break
        sleep 0.1
    done
    [ -z "$pid" ] || kill -9 "$pid" 2>/dev/null || true
    kill "$session_pid" 2>/dev/null || true
    rm -rf "$runtime"
}
trap stop_compositor EXIT

# dbus-run-session ends its bus when mutter ends; the bus address is written
# out for the command, which runs outside that session.
# With MUTTER_FRACTIONAL=1 the compositor's own settings (a keyfile in its
# private folder, not the user's) switch on fractional scales, which it
# offers only with its experimental scale-monitor-framebuffer feature.
settings=()
if [ "${MUTTER_FRACTIONAL:-}" = 1 ]; then
    mkdir -p "$runtime/config/glib-2.0/settings"
    printf "[org/gnome/mutter]\nexperimental-features=['scale-monitor-framebuffer']\n" \
        >"$runtime/config/glib-2.0/settings/keyfile"
    settings=(env GSETTINGS_BACKEND=keyfile XDG_CONFIG_HOME="$runtime/config")
fi
XDG_RUNTIME_DIR=$runtime "${settings[@]}" dbus-run-session -- bash -c \
    'echo $$ >"$XDG_RUNTIME_DIR/mutter.pid"; echo "$DBUS_SESSION_BUS_ADDRESS" >"$XDG_RUNTIME_DIR/bus-address"; exec mutter --headless --wayland --no-x11 --wayland-display=wayland-test --virtual-monitor 1920x1080 --virtual-monitor 1280x1024' \
    >"$runtime/mutter.log" 2>&1 &
session_pid=$!

ready=""
for _ in $(seq 150); do
    if [ -s "$runtime/bus-address" ] && [ -S "$runtime/wayland-test" ] &&
        DBUS_SESSION_BUS_ADDRESS=$(cat "$runtime/bus-address") gdbus call --session \
            -d org.gnome.Mutter.DisplayConfig -o /org/gnome/Mutter/DisplayConfig \
            -m org.gnome.Mutter.DisplayConfig.GetCurrentState >/dev/null 2>&1; then
        ready=yes
        break
    fi
    kill -0 "$session_pid" 2>/dev/null || break
    sleep 0.1
done
if [ -z "$ready" ]; then
    echo "with-mutter: the headless compositor did not start; its log:" >&2
    tail -n 30 "$runtime/mutter.log" >&2 || true
    exit 1
fi
echo "with-mutter: headless compositor on wayland-test" >&2

status=0
env -u DISPLAY XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY=wayland-test \
    DBUS_SESSION_BUS_ADDRESS="$(cat "$runtime/bus-address")" MUTTER_PID="$(cat "$runtime/mutter.pid")" "$@" ||
    status=$?
if [ "$status" -ne 0 ]; then
    echo "with-mutter: the command ended with status $status; tail of the compositor log:" >&2
    tail -n 15 "$runtime/mutter.log" >&2 || true
fi
exit "$status"
