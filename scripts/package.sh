#!/usr/bin/env bash
# Builds the Debian package: configures the build folder for the prefix /usr,
# builds it and runs CPack, which leaves
# BUILD_DIR/orvane-diagnostics_<version>_<arch>.deb.
#   scripts/package.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
scripts/build.sh "$dir" -DCMAKE_INSTALL_PREFIX=/usr
rm -f "$dir"/orvane-diagnostics_*.deb
(cd "$dir" && cpack -G DEB --config CPackConfig.cmake >cpack.log) || {
    cat "$dir/cpack.log" >&2
    exit 1
}
ls "$dir"/orvane-diagnostics_*.deb
