#!/usr/bin/env bash
# Builds the Win32 backend's tests with mingw-w64 and runs them under Wine on
# two real X servers: Xvfb with one screen, and Xorg's dummy driver with two
# outputs carrying real EDIDs. Each server gets one Wine prefix whose server
# runs for the whole group (scripts/with-wine.sh).
#   scripts/wine-tests.sh [LINUX_BUILD_DIR [xvfb|xorg-dummy]]
# LINUX_BUILD_DIR (default build) has set_output_edid, which puts the EDIDs
# on; the second argument runs one group only.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
linux_build=$(cd "${1:-build}" && pwd)
only=${2:-}
tests=build-win32-tests

cmake -S autotests/win -B "$tests" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$tests" --parallel "$(nproc)"

export EDID_SAMPLES=${EDID_SAMPLES:-$root/../shared/edid-samples/samples.jsonl}
export WIN32_TEST_EDID_DUMMY0=Digital/Eizo/ENC2291/F367AC7049CD
export WIN32_TEST_EDID_DUMMY1=Digital/Others/IND3230/AB12FA57E390
scratch=$(mktemp -d /tmp/module-display-win32-tests.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
export WIN32_TEST_SCRATCH=$scratch

# The desk on the dummy server, made before Wine starts so that its first
# look at the server finds it: DUMMY0 1920x1080 at 0,0, DUMMY1 1280x720 right
# of it (the dummy driver connects an output once it has a mode and has been
# probed), each with its EDID.
cat >"$scratch/arrange-xorg.sh" <<ARRANGE
#!/bin/sh
set -e
xrandr --output DUMMY0 --mode 1920x1080 --pos 0x0 --primary
xrandr --addmode DUMMY1 1280x720
xrandr --output DUMMY1 --mode 1280x720 --right-of DUMMY0
xrandr -q >/dev/null
"$linux_build/bin/set_output_edid" DUMMY0 "\$WIN32_TEST_EDID_DUMMY0"
"$linux_build/bin/set_output_edid" DUMMY1 "\$WIN32_TEST_EDID_DUMMY1"
exec "\$@"
ARRANGE
chmod +x "$scratch/arrange-xorg.sh"

if [ "$only" != xorg-dummy ]; then
    echo "== Win32 backend under Wine on Xvfb"
    xvfb-run -a -s "-screen 0 1920x1080x24" scripts/with-wine.sh \
        ctest --test-dir "$tests" --output-on-failure -L win32-xvfb
fi
if [ "$only" != xvfb ]; then
    echo "== Win32 backend under Wine on the Xorg dummy server with two outputs"
    scripts/with-xorg-dummy.sh "$scratch/arrange-xorg.sh" scripts/with-wine.sh \
        ctest --test-dir "$tests" --output-on-failure -L win32-xorg-dummy
fi
