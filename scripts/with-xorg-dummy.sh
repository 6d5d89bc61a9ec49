#!/usr/bin/env bash
# Runs a command against a private X server: Xorg with the dummy video driver
# on a free display number, with its own configuration and log in a temporary
# folder. DISPLAY points at it while the command runs; the server is always
# stopped afterwards, and the command's exit status is returned.
#   scripts/with-xorg-dummy.sh COMMAND [ARGS...]
set -euo pipefail
[ $# -gt 0 ] || { echo "usage: scripts/with-xorg-dummy.sh COMMAND [ARGS...]" >&2; exit 2; }

if ! command -v Xorg >/dev/null; then
    echo "xorg-dummy: Xorg is not installed (run scripts/setup.sh)" >&2
    exit 1
fi
as_root=()
if [ "$(id -u)" -ne 0 ]; then
    if sudo -n true 2>/dev/null; then
        as_root=(sudo -n)
    else
        echo "xorg-dummy: Xorg with the dummy driver must run as root" >&2
        exit 1
    fi
fi

# A display number whose socket and lock are both free.
number=""
for candidate in $(seq 40 99); do
    if [ ! -e "/tmp/.X11-unix/X$candidate" ] && [ ! -e "/tmp/.X$candidate-lock" ]; then
        number=$candidate
        break
    fi
done
if [ -z "$number" ]; then
    echo "xorg-dummy: no free X display number between :40 and :99" >&2
    exit 1
fi

workdir=$(mktemp -d /tmp/module-display-xorg.XXXXXX)
server_pid=""
stop_server() {
    if [ -n "$server_pid" ] && kill -0 "$server_pid" 2>/dev/null; then
        "${as_root[@]}" kill "$server_pid" 2>/dev/null || true
        for _ in $(seq 50); do
            kill -0 "$server_pid" 2>/dev/null || break
            sleep 0.1
        done
        "${as_root[@]}" kill -9 "$server_pid" 2>/dev/null || true
    fi
    rm -rf "$workdir"
}
trap stop_server EXIT

# Enough video memory for large screens; outputs beyond DUMMY0 start
# disconnected and connect once a mode is set on them.
cat >"$workdir/xorg.conf" <<'CONF'
Section "ServerFlags"
    Option "AutoAddDevices" "false"
    Option "AutoAddGPU" "false"
    Option "DontVTSwitch" "true"
EndSection
Section "Device"
    Identifier "dummy"
    Driver "dummy"
    VideoRam 256000
EndSection
Section "Monitor"
    Identifier "monitor"
    HorizSync 5.0-1000.0
    VertRefresh 5.0-200.0
EndSection
Section "Screen"
    Identifier "screen"
    Device "dummy"
    Monitor "monitor"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Virtual 8192 4096
    EndSubSection
EndSection
CONF

"${as_root[@]}" Xorg ":$number" -config "$workdir/xorg.conf" -logfile "$workdir/Xorg.log" \
    -noreset +extension RANDR >"$workdir/stdout.log" 2>&1 &
server_pid=$!

ready=""
for _ in $(seq 100); do
    if DISPLAY=":$number" xrandr -q >/dev/null 2>&1; then
        ready=yes
        break
    fi
    kill -0 "$server_pid" 2>/dev/null || break
    sleep 0.1
done
if [ -z "$ready" ]; then
    echo "xorg-dummy: Xorg on :$number did not start; its log:" >&2
    tail -n 30 "$workdir/Xorg.log" "$workdir/stdout.log" >&2 || true
    exit 1
fi
echo "xorg-dummy: Xorg with the dummy driver on :$number" >&2

status=0
DISPLAY=":$number" XORG_DUMMY_LOG="$workdir/Xorg.log" "$@" || status=$?
if [ "$status" -ne 0 ]; then
    echo "xorg-dummy: the command ended with status $status; tail of the server log:" >&2
    tail -n 15 "$workdir/Xorg.log" >&2 || true
fi
exit "$status"
