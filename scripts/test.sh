#!/usr/bin/env bash
# Sets everything up and runs the whole test suite: the normal build, the
# same suite under AddressSanitizer/UndefinedBehaviorSanitizer with leak
# detection, a short run of each fuzz target, and the integration tests
# against a real X server, GNOME's headless compositor and KWin, the Win32
# backend under Wine, and the Windows build when its Qt is built.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

echo "== build and test"
scripts/build.sh build
(cd build && ctest --output-on-failure --parallel "$(nproc)" -LE 'integration|gnome|kde')

echo "== sanitizers (ASan, UBSan, leaks)"
scripts/build.sh build-asan -DMODULE_DISPLAY_SANITIZE=ON -DMODULE_DISPLAY_BENCHMARKS=OFF
# The Ansible run (label fleet) only repeats the command line's runs already
# covered here, so it runs in the plain build alone.
(cd build-asan && ctest --output-on-failure --parallel "$(nproc)" -LE 'integration|gnome|kde|fleet')

if [ -x scripts/fuzz.sh ]; then
    echo "== fuzzing"
    scripts/fuzz.sh 60
fi

if [ -x scripts/integration.sh ]; then
    echo "== integration against a real X server"
    scripts/integration.sh build
fi

if [ -x scripts/with-mutter.sh ]; then
    echo "== integration against GNOME's headless compositor"
    scripts/with-mutter.sh ctest --test-dir build --output-on-failure -L gnome
fi

if [ -x scripts/with-kwin.sh ]; then
    echo "== integration against KWin (each test group starts its own)"
    ctest --test-dir build --output-on-failure -L kde
fi

echo "== Win32 backend: built with mingw, run under Wine on Xvfb and on the Xorg dummy server"
scripts/wine-tests.sh build

qt_mingw=${ORVANE_QT_MINGW:-${XDG_CACHE_HOME:-$HOME/.cache}/orvane-diagnostics/qt5-mingw-5.15.8}
if [ -f "$qt_mingw/.complete" ]; then
    echo "== Windows build: the zip's programs under Wine on the Xorg dummy server"
    scripts/windows.sh --check
else
    echo "== Windows build skipped: no Qt for mingw in $qt_mingw (scripts/windows.sh --qt builds it once, ~40 min)"
fi

echo "== Debian package: build, unpack, run from the unpacked tree, lintian, validators"
scripts/package.sh build
scripts/check-package.sh build/orvane-diagnostics_*.deb
