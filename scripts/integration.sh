#!/usr/bin/env bash
# Runs the integration tests against a real X server: Xorg with the dummy
# video driver, started for this run and always stopped afterwards
# (scripts/with-xorg-dummy.sh), and the tests labelled "integration" in the
# given build folder.
#   scripts/integration.sh BUILD_DIR [ctest options...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:?usage: scripts/integration.sh BUILD_DIR [ctest options...]}
shift
build=$(cd "$build" && pwd)
exec scripts/with-xorg-dummy.sh ctest --test-dir "$build" --output-on-failure -L integration "$@"
