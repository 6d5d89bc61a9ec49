#!/usr/bin/env bash
# Runs the integration tests against a real X server: starts Xorg with the
# dummy video driver on a free display number, with its own configuration
# and log in a temporary folder, runs the tests labelled "integration" in the
# given build folder with DISPLAY pointing at it, and always stops the server.
#   scripts/integration.sh BUILD_DIR [ctest options...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:?usage: scripts/integration.sh BUILD_DIR [ctest options...]}
shift
build=$(cd "$build" && pwd)

if ! command -v Xorg >/dev/null; then
    echo "integration: Xorg is not installed (run scripts/setup.sh)" >&2
    exit 1
fi
as_root=()
if [ "$(id -u)" -ne 0 ]; then
    if sudo -n true 2>/dev/null; then
        as_root=(sudo -n)
    else
        echo "integration: Xorg with the dummy driver must run as root" >&2
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
    echo "integration: no free X display number between :40 and :99" >&2
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

# Enough video memory for a 8192x4096 screen; outputs beyond the first start
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

for _ in $(seq 100); do
    if DISPLAY=":$number" xrandr -q >/dev/null 2>&1; then
        break
    fi
    if ! kill -0 "$server_pid" 2>/dev/null; then
        echo "integration: Xorg failed to start; its log:" >&2
        cat "$workdir/Xorg.log" "$workdir/stdout.log" >&2 || true
        exit 1
    fi
    sleep 0.1
done
if ! DISPLAY=":$number" xrandr -q >/dev/null 2>&1; then
    echo "integration: Xorg on :$number does not answer" >&2
    exit 1
fi
echo "integration: Xorg with the dummy driver on :$number"

status=0
(cd "$build" && DISPLAY=":$number" ctest --output-on-failure -L integration "$@") || status=$?
if [ "$status" -ne 0 ]; then
    echo "integration: tail of the server log:" >&2
    tail -n 20 "$workdir/Xorg.log" >&2 || true
fi
exit "$status"
