#!/usr/bin/env bash
# The Windows build, cross-compiled with mingw-w64 and run under Wine.
#
#   scripts/windows.sh            Qt for mingw (once), the programs, the zip
#   scripts/windows.sh --qt       only Qt for mingw (into the cache)
#   scripts/windows.sh --check    the above, then run the programs under Wine
#                                 on the Xorg dummy server with two outputs
#
# Qt 5.15.8 for mingw is built from Debian's own source package once into
# ~/.cache/orvane-diagnostics/qt5-mingw-5.15.8 (ORVANE_QT_MINGW overrides it)
# and reused from there. moc, rcc and uic come from Debian's qtbase5-dev-tools
# of the same version, so only the Windows libraries and plugins are compiled.
set -euo pipefail
cd "$(dirname "$0")/.."

qt_version=5.15.8
qt_source_version=5.15.8+dfsg-11+deb12u3
cache=${XDG_CACHE_HOME:-$HOME/.cache}/orvane-diagnostics
qt_prefix=${ORVANE_QT_MINGW:-$cache/qt5-mingw-$qt_version}
host_tools=/usr/lib/qt5/bin

mode=all
case "${1:-}" in
    "") ;;
    --qt) mode=qt ;;
    --check) mode=check ;;
    *)
        echo "usage: scripts/windows.sh [--qt|--check]" >&2
        exit 2
        ;;
esac

log() { echo "windows: $*"; }

# Debian's source package, fetched with a private apt state so that the
# system's sources and lists stay as they are.
fetch_qt_source() {
    local apt="$cache/apt" dest=$1
    mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$cache/src"
    cat >"$apt/sources.list" <<'EOF'
deb-src http://deb.debian.org/debian bookworm main
deb-src http://deb.debian.org/debian-security bookworm-security main
EOF
    local options=(-o "Dir::Etc::SourceList=$apt/sources.list" -o Dir::Etc::SourceParts=/nonexistent
        -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache" -o APT::Sandbox::User=root -qq)
    apt-get "${options[@]}" update
    (cd "$cache/src" && apt-get "${options[@]}" source --download-only \
        "qtbase-opensource-src=$qt_source_version")
    rm -rf "$dest"
    dpkg-source -x "$cache/src/qtbase-opensource-src_$qt_source_version.dsc" "$dest" >/dev/null
}

build_qt() {
    if [ -f "$qt_prefix/.complete" ]; then
        log "Qt for mingw: reusing $qt_prefix"
        return
    fi
    for tool in moc rcc uic qlalr; do
        [ -x "$host_tools/$tool" ] || {
            echo "windows: $host_tools/$tool is missing (scripts/setup.sh installs qtbase5-dev-tools)" >&2
            exit 1
        }
    done
    local src="$cache/src/qtbase"
    log "Qt for mingw: fetching Debian's qtbase $qt_source_version"
    fetch_qt_source "$src"

    # The host tools are Debian's: take their folders out of the build so
    # that nothing but the Windows libraries and plugins is compiled.
    cat >>"$src/src/src.pro" <<'EOF'

# Host tools come from the system's Qt of the same version.
host_tools = src_tools_bootstrap src_tools_moc src_tools_rcc src_tools_tracegen src_tools_qlalr \
    src_tools_uic src_tools_qvkgen src_tools_bootstrap_dbus src_tools_qdbusxml2cpp src_tools_qdbuscpp2xml
SUBDIRS -= $$host_tools
for(sub, SUBDIRS): $${sub}.depends -= $$host_tools
EOF

    log "Qt for mingw: configuring (log in $cache/qt-configure.log)"
    (cd "$src" && ./configure -prefix "$qt_prefix" -opensource -confirm-license \
        -xplatform win32-g++ -device-option CROSS_COMPILE=x86_64-w64-mingw32- \
        -release -shared -nomake examples -nomake tests -no-opengl -no-feature-tabletevent \
        -no-dbus -no-icu -no-sql-sqlite -qt-zlib -qt-libpng -qt-libjpeg -qt-pcre \
        -qt-harfbuzz -qt-freetype -no-pch \
        -no-feature-sql -no-feature-concurrent -no-feature-xml -no-direct2d) \
        >"$cache/qt-configure.log" 2>&1 || {
        tail -30 "$cache/qt-configure.log" >&2
        exit 1
    }
    # A prefix build looks for its host tools in the prefix's bin folder.
    mkdir -p "$qt_prefix/bin"
    for tool in moc rcc uic qlalr; do ln -sf "$host_tools/$tool" "$qt_prefix/bin/$tool"; done

    log "Qt for mingw: building Core, Gui, Widgets, Test, Network and the plugins (log in $cache/qt-build.log)"
    (cd "$src" && make -j"$(nproc)" && make install) >"$cache/qt-build.log" 2>&1 || {
        tail -30 "$cache/qt-build.log" >&2
        exit 1
    }
    rm -rf "$src"
    touch "$qt_prefix/.complete"
    log "Qt for mingw: ready in $qt_prefix"
}

build_qt
[ "$mode" = qt ] && exit 0
