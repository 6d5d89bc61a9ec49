#!/usr/bin/env bash
# Checks the Debian package as a user receives it. The package is unpacked
# with dpkg-deb -x into an empty folder, away from the build folder, and the
# programs are run from there with nothing else on their search paths: the
# command line on the installed office desk, the front end's --version and
# --help without a display, both manual pages, and the bash completion. The
# unpacked tree is then moved, to show it depends on no absolute path, and
# searched for the source and build folders' paths. lintian,
# desktop-file-validate and appstreamcli judge the package and its metadata.
#   scripts/check-package.sh [PACKAGE.deb]
set -uo pipefail
cd "$(dirname "$0")/.." || exit 2
source_dir=$(pwd)
deb=${1:-$(ls build/orvane-diagnostics_*.deb 2>/dev/null | tail -n 1)}
if [ -z "$deb" ] || [ ! -f "$deb" ]; then
    echo "check-package: no package; run scripts/package.sh first" >&2
    exit 2
fi
deb=$(cd "$(dirname "$deb")" && pwd)/$(basename "$deb")
build_dir=$(dirname "$deb")

work=$(mktemp -d /tmp/orvane-package.XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0
pass() { echo "ok    $1"; }
fail() {
    echo "FAIL  $1" >&2
    [ $# -lt 2 ] || printf '%s\n' "$2" | sed 's/^/      /' >&2
    failures=$((failures + 1))
}
# Runs a command with a clean environment: no display, no library path.
clean() { env -i PATH=/usr/bin:/bin HOME="$work" LANG=C.UTF-8 "$@"; }

dpkg-deb -x "$deb" "$work/root" || {
    echo "check-package: dpkg-deb -x failed" >&2
    exit 1
}
root=$work/root
share=$root/usr/share
desk=$share/orvane-diagnostics/desks/office.json

check_programs() {
    local where=$1 prefix=$2
    local cli=$prefix/bin/OrvaneDiagnosticsCLI gui=$prefix/bin/OrvaneDiagnostics
    local desk=$prefix/share/orvane-diagnostics/desks/office.json out status
    out=$(clean "$cli" --platform="sim:$desk" --list --json 2>&1)
    status=$?
    if [ $status -eq 0 ] && grep -q '"id": *"dpy1"' <<<"$out" && grep -q '"id": *"dpy2"' <<<"$out"; then
        pass "$where: CLI lists the office desk's two displays"
    else
        fail "$where: CLI --list --json (status $status)" "$out"
    fi
    out=$(clean "$cli" --platform="sim:$desk" -Mdisplay -Q"f" 2>&1)
    status=$?
    if [ $status -eq 0 ]; then
        pass "$where: CLI runs the resolution fitting test on the office desk"
    else
        fail "$where: CLI -Mdisplay -Q\"f\" (status $status)" "$out"
    fi
    out=$(clean "$gui" --version 2>&1)
    status=$?
    if [ $status -eq 0 ] && [ "$out" = "OrvaneDiagnostics 4.35.1.6" ]; then
        pass "$where: front end --version without a display"
    else
        fail "$where: front end --version without a display (status $status)" "$out"
    fi
    out=$(clean "$gui" --help 2>&1)
    status=$?
    if [ $status -eq 0 ] && grep -q -- '--platform' <<<"$out"; then
        pass "$where: front end --help without a display"
    else
        fail "$where: front end --help without a display (status $status)" "$out"
    fi
}

# Every ELF file searches only beside itself.
while IFS= read -r -d '' file; do
    file -b "$file" | grep -q '^ELF' || continue
    runpath=$(readelf -d "$file" | sed -n 's/.*(\(RUNPATH\|RPATH\)).*\[\(.*\)\]/\2/p')
    for entry in ${runpath//:/ }; do
        case $entry in
            '$ORIGIN' | '$ORIGIN/'*) ;;
            *) fail "${file#"$root"} searches $entry" ;;
        esac
    done
    if file -b "$file" | grep -q 'not stripped'; then
        fail "${file#"$root"} is not stripped"
    fi
done < <(find "$root" -type f -print0)
pass "binaries stripped, search paths relative to \$ORIGIN"

check_programs "unpacked" "$root/usr"

for page in OrvaneDiagnosticsCLI OrvaneDiagnostics; do
    file=$share/man/man1/$page.1.gz
    if out=$(clean MANWIDTH=80 man --warnings -l "$file" 2>&1 >"$work/$page.txt") &&
        [ -z "$out" ] && grep -q "^NAME" "$work/$page.txt" &&
        grep -q -- "--platform" "$work/$page.txt"; then
        pass "man -l $page.1.gz"
    else
        fail "man -l $page.1.gz" "$out"
    fi
done

# The completion, driven as bash drives it, with the installed CLI on PATH.
completion=$share/bash-completion/completions/OrvaneDiagnosticsCLI
complete_line() {
    # shellcheck disable=SC2016
    clean PATH="$root/usr/bin:/usr/bin:/bin" bash -c '
        source /usr/share/bash-completion/bash_completion
        source "$1"
        compopt() { :; }
        read -r -a COMP_WORDS <<<"$2"
        [[ $2 == *" " ]] && COMP_WORDS+=("")
        COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
        COMP_LINE=$2
        COMP_POINT=${#COMP_LINE}
        _orvane_diagnostics_cli
        printf "%s\n" "${COMPREPLY[@]}"' bash "$completion" "$1"
}
expect_completion() {
    local line=$1 out
    shift
    out=$(complete_line "$line" 2>&1)
    for word in "$@"; do
        if ! grep -qxF -- "$word" <<<"$out"; then
            fail "completing \"$line\" offers $word" "$out"
            return
        fi
    done
    pass "completing \"$line\""
}
expect_completion "OrvaneDiagnosticsCLI --pla" "--platform"
expect_completion "OrvaneDiagnosticsCLI -M" "-Mdisplay"
expect_completion "OrvaneDiagnosticsCLI --platform " "auto" "x11" "drm" "sim:"
expect_completion "OrvaneDiagnosticsCLI -Mdisplay -Qr," "-Qr,g" "-Qr,green_purity" "-Qr,f"
# Bash completes what follows "=" as a word of its own.
expect_completion "OrvaneDiagnosticsCLI -Mdisplay --quick=f,re" "f,red_purity" "f,resolution_fitting"
expect_completion "OrvaneDiagnosticsCLI --platform=sim:$desk -Mdisplay -Qf " "dpy1" "dpy2" "0"
expect_completion "OrvaneDiagnosticsCLI --platform sim:$desk --edid " "dpy1" "dpy2"

# Moved elsewhere, the tree still finds its libraries and module.
mv "$root" "$work/moved"
check_programs "moved" "$work/moved/usr"
mv "$work/moved" "$root"

# The install rules alone, into a staging folder and another prefix; only
# the two programs go to bin/, nothing the tests need.
DESTDIR="$work/staged" cmake --install "$build_dir" --prefix /opt/orvane >/dev/null
check_programs "cmake --install with DESTDIR" "$work/staged/opt/orvane"
programs=$(find "$work/staged/opt/orvane/bin" -mindepth 1 -printf '%f\n' | sort | tr '\n' ' ')
if [ "$programs" = "OrvaneDiagnostics OrvaneDiagnosticsCLI " ]; then
    pass "bin/ holds the two programs only"
else
    fail "bin/ holds: $programs"
fi

# No file names the folders the package was built from.
leaks=""
for path in "$source_dir" "$build_dir"; do
    leaks+=$(grep -rlF -- "$path" "$root" 2>/dev/null)
    while IFS= read -r -d '' gz; do
        zcat "$gz" | grep -qF -- "$path" && leaks+="$gz (names $path)"$'\n'
    done < <(find "$root" -name '*.gz' -print0)
done
if [ -z "$leaks" ]; then
    pass "no file names the source or build folder"
else
    fail "files naming the source or build folder" "$leaks"
fi

if out=$(desktop-file-validate "$share/applications/org.orvane.Diagnostics.desktop" 2>&1) &&
    [ -z "$out" ]; then
    pass "desktop-file-validate"
else
    fail "desktop-file-validate" "$out"
fi
metainfo=$share/metainfo/org.orvane.Diagnostics.metainfo.xml
if out=$(appstreamcli validate --no-net --no-color "$metainfo" 2>&1) &&
    ! grep -q '^[EW]:' <<<"$out"; then
    pass "appstreamcli validate --no-net"
else
    fail "appstreamcli validate --no-net" "$out"
fi
if out=$(lintian --fail-on error --tag-display-limit 0 "$deb" 2>&1); then
    pass "lintian: no errors"
else
    fail "lintian" "$out"
fi
grep -v 'root privileges' <<<"$out" | sed 's/^/      lintian: /'

if [ $failures -ne 0 ]; then
    echo "check-package: $failures check(s) failed" >&2
    exit 1
fi
echo "check-package: $(basename "$deb") installs and runs"
