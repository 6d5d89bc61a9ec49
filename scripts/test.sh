#!/usr/bin/env bash
# Sets everything up and runs the whole test suite: the normal build, the
# same suite under AddressSanitizer/UndefinedBehaviorSanitizer with leak
# detection, a short run of each fuzz target, and the integration tests
# against a real X server, GNOME's headless compositor and KWin.
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

echo "== Debian package: build, unpack, run from the unpacked tree, lintian, validators"
scripts/package.sh build
scripts/check-package.sh build/orvane-diagnostics_*.deb
