#!/usr/bin/env bash
# Sets everything up and runs the main job: the command-line host lists the
# displays of the bundled two-monitor desk and runs the resolution fitting
# test on each. Needs no display. On a real desktop, run instead:
#   build/bin/OrvaneDiagnosticsCLI --list
#   build/bin/OrvaneDiagnosticsCLI -Mdisplay -Q"f"
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh build
desk=examples/desks/office.json
build/bin/OrvaneDiagnosticsCLI --platform="sim:$desk" --list
status=0
build/bin/OrvaneDiagnosticsCLI --platform="sim:$desk" -Mdisplay -Q"f" || status=$?
exit "$status"
