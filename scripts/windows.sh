#!/usr/bin/env bash
# The Windows build, cross-compiled with mingw-w64 and run under Wine.
#
#   scripts/windows.sh            Qt for mingw (once), the programs, the zip
#   scripts/windows.sh --qt       only Qt for mingw (into the cache)
#   scripts/windows.sh --check    the above, then run the programs from the zip
#                                 under Wine on the Xorg dummy server with two
#                                 outputs (LINUX_BUILD, default build, has the
#                                 Linux tools the check uses)
#
# Qt 5.15.8 for mingw is built from Debian's own source package once into
# ~/.cache/orvane-diagnostics/qt5-mingw-5.15.8 (ORVANE_QT_MINGW overrides it)
# and reused from there; an interrupted build goes on where it stopped. moc,
# rcc, uic and lrelease are Debian's host tools of the same version, so only
# the Windows libraries and plugins are compiled. The programs go to
# build-windows/, the zip to build/orvane-diagnostics-<version>-win64.zip.
set -euo pipefail
cd "$(dirname "$0")/.."

qt_version=5.15.8
qt_source_version=5.15.8+dfsg-11+deb12u3
cache=${XDG_CACHE_HOME:-$HOME/.cache}/orvane-diagnostics
qt_prefix=${ORVANE_QT_MINGW:-$cache/qt5-mingw-$qt_version}
host_tools=/usr/lib/qt5/bin
version=$(sed -n 's/^project(module_display VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)

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
    printf '%s\n' "deb-src http://deb.debian.org/debian bookworm main" \
        "deb-src http://deb.debian.org/debian-security bookworm-security main" >"$apt/sources.list"
    local options=(-o "Dir::Etc::SourceList=$apt/sources.list" -o Dir::Etc::SourceParts=/nonexistent
        -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache" -o APT::Sandbox::User=root -qq)
    apt-get "${options[@]}" update
    (cd "$cache/src" && apt-get "${options[@]}" source --download-only \
        "qtbase-opensource-src=$qt_source_version")
    rm -rf "$dest"
    # apt has checked the files against the archive's signed index already.
    dpkg-source -x "$cache/src/qtbase-opensource-src_$qt_source_version.dsc" "$dest" \
        >"$cache/dpkg-source.log" 2>&1 || {
        cat "$cache/dpkg-source.log" >&2
        exit 1
    }
}

# Takes the host tools' folders out of Qt's build: they are Debian's.
drop_host_tools() {
    printf '%s\n' "" "# Host tools come from the system's Qt of the same version." \
        'host_tools = src_tools_bootstrap src_tools_moc src_tools_rcc src_tools_tracegen \' \
        '    src_tools_qlalr src_tools_uic src_tools_qvkgen src_tools_bootstrap_dbus \' \
        '    src_tools_qdbusxml2cpp src_tools_qdbuscpp2xml' \
        'SUBDIRS -= $$host_tools' \
        'for(sub, SUBDIRS): $${sub}.depends -= $$host_tools' >>"$1/src/src.pro"
}

build_qt() {
    if [ -f "$qt_prefix/.complete" ]; then
        log "Qt for mingw: reusing $qt_prefix"
        return
    fi
    local tool
    for tool in moc rcc uic qlalr qvkgen tracegen lrelease; do
        [ -x "$host_tools/$tool" ] || {
            echo "windows: $host_tools/$tool is missing (scripts/setup.sh installs Qt's host tools)" >&2
            exit 1
        }
    done
    local src="$cache/src/qtbase"
    if [ ! -f "$src/config.summary" ] || [ ! -f "$src/Makefile" ]; then
        log "Qt for mingw: fetching Debian's qtbase $qt_source_version"
        fetch_qt_source "$src"
        drop_host_tools "$src"
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
    else
        log "Qt for mingw: going on with the configured tree in $src"
        # A build stopped mid-compile can leave empty objects that make
        # takes for done and the linker then finds nothing in.
        find "$src" -name '*.o' -size 0 -delete
    fi
    # A prefix build looks for its host tools in the prefix's bin folder.
    mkdir -p "$qt_prefix/bin"
    for tool in moc rcc uic qlalr qvkgen tracegen lrelease; do ln -sf "$host_tools/$tool" "$qt_prefix/bin/$tool"; done

    log "Qt for mingw: building Core, Gui, Widgets, Test and the plugins (log in $cache/qt-build.log)"
    (cd "$src" && make -j"$(nproc)" && make install) >"$cache/qt-build.log" 2>&1 || {
        tail -30 "$cache/qt-build.log" >&2
        exit 1
    }
    mkdir -p "$qt_prefix/licenses"
    cp "$src"/LICENSE.* "$qt_prefix/licenses/"
    rm -rf "$src"
    touch "$qt_prefix/.complete"
    log "Qt for mingw: ready in $qt_prefix"
}

# What the cross build takes from Debian beside Qt, placed where a mingw
# build finds it: the header-only JSON library, and Qt's translation tools
# (host programs, like moc; their CMake files find them in /usr).
prepare_prefix() {
    mkdir -p "$qt_prefix/include" "$qt_prefix/share/cmake" "$qt_prefix/lib/cmake"
    ln -sfn /usr/include/nlohmann "$qt_prefix/include/nlohmann"
    ln -sfn /usr/share/cmake/nlohmann_json "$qt_prefix/share/cmake/nlohmann_json"
    ln -sfn /usr/lib/x86_64-linux-gnu/cmake/Qt5LinguistTools "$qt_prefix/lib/cmake/Qt5LinguistTools"
}

build_programs() {
    log "cross-building the module and both hosts into build-windows/"
    ORVANE_MINGW_PREFIX=$qt_prefix cmake -S . -B build-windows \
        -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release \
        -DMODULE_DISPLAY_TESTS=OFF -DMODULE_DISPLAY_BENCHMARKS=OFF >/dev/null
    ORVANE_MINGW_PREFIX=$qt_prefix cmake --build build-windows --parallel "$(nproc)" \
        --target module_display OrvaneDiagnosticsCLI OrvaneDiagnostics
}

# The zip: programs, module and platform library, the Qt and compiler
# libraries they load, Qt's Windows plugins, example desks and settings, and
# the licences, in one folder that runs where it is unpacked.
make_zip() {
    local name=orvane-diagnostics-$version-win64
    local stage=build-windows/zip/$name
    local runtime
    runtime=/usr/lib/gcc/x86_64-w64-mingw32/$(x86_64-w64-mingw32-g++-posix -dumpversion)
    rm -rf build-windows/zip
    mkdir -p "$stage/platforms" "$stage/styles" "$stage/imageformats" "$stage/licenses" build
    cp build-windows/bin/OrvaneDiagnosticsCLI.exe build-windows/bin/OrvaneDiagnostics.exe \
        build-windows/bin/libmodule_display.dll build-windows/bin/libdisplay_platform.dll "$stage/"
    local library
    for library in Qt5Core Qt5Gui Qt5Widgets; do cp "$qt_prefix/bin/$library.dll" "$stage/"; done
    cp "$runtime/libstdc++-6.dll" "$runtime/libgcc_s_seh-1.dll" \
        /usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll "$stage/"
    cp "$qt_prefix/plugins/platforms/qwindows.dll" "$stage/platforms/"
    cp "$qt_prefix/plugins/styles/qwindowsvistastyle.dll" "$stage/styles/"
    for library in qico qjpeg qgif; do
        [ -f "$qt_prefix/plugins/imageformats/$library.dll" ] &&
            cp "$qt_prefix/plugins/imageformats/$library.dll" "$stage/imageformats/"
    done
    cp -r examples/desks examples/settings "$stage/"
    cp LICENSE "$stage/licenses/LICENSE"
    cp "$qt_prefix"/licenses/LICENSE.* "$stage/licenses/"
    cp /usr/share/doc/mingw-w64-common/copyright "$stage/licenses/mingw-w64.copyright"
    x86_64-w64-mingw32-strip "$stage"/*.exe "$stage"/lib*.dll
    rm -f "build/$name.zip"
    (cd build-windows/zip && zip -qr "../../build/$name.zip" "$name")
    log "build/$name.zip ($(du -h "build/$name.zip" | cut -f1))"
}

# Under Wine on the Xorg dummy server: DUMMY0 1920x1080 and DUMMY1 1280x720
# right of it, each with a real EDID; the programs run from the unpacked zip.
check() {
    local linux_build=${LINUX_BUILD:-build} tool
    for tool in set_output_edid root_pattern_watch; do
        [ -x "$linux_build/bin/$tool" ] || {
            echo "windows: $linux_build/bin/$tool is missing (build the Linux tree first)" >&2
            exit 1
        }
    done
    local scratch status=0
    scratch=$(mktemp -d /tmp/module-display-windows-check.XXXXXX)
    unzip -q "build/orvane-diagnostics-$version-win64.zip" -d "$scratch"
    CHECK_DIR=$scratch/orvane-diagnostics-$version-win64 LINUX_BUILD=$(cd "$linux_build" && pwd) \
        SCREENSHOTS=$PWD/build/screenshots \
        EDID_SAMPLES=${EDID_SAMPLES:-$PWD/../shared/edid-samples/samples.jsonl} \
        scripts/with-xorg-dummy.sh scripts/with-wine.sh scripts/windows-check.sh || status=$?
    rm -rf "$scratch"
    return "$status"
}

build_qt
[ "$mode" = qt ] && exit 0
prepare_prefix
build_programs
make_zip
if [ "$mode" = check ]; then
    check
fi
