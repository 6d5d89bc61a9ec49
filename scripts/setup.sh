#!/usr/bin/env bash
# Installs the Debian packages the project builds, tests and runs with.
# Idempotent: packages already installed are skipped, and apt is only asked
# when something is missing.
set -euo pipefail

packages=(
    cmake g++ make pkg-config ccache clang libclang-rt-14-dev
    qtbase5-dev qttools5-dev qttools5-dev-tools libqt5test5 libqt5x11extras5-dev
    libgtest-dev libbenchmark-dev
    nlohmann-json3-dev
    libx11-dev libxrandr-dev libxfixes-dev libdrm-dev
    xvfb xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils x11-apps xdotool netpbm
    edid-decode tesseract-ocr
    # the front end tested as a person uses it: a window manager on Xvfb, and
    # the report PDF read back page by page
    openbox x11-utils poppler-utils
    mutter dbus qtwayland5 libglib2.0-bin
    kwin-wayland libkf5screen-bin wayland-utils plasma-wayland-protocols libwayland-dev
    # the test windows' own Wayland surface: viewporter and fractional-scale
    # protocols, Qt's platform native interface
    wayland-protocols qtbase5-private-dev
    # xvfb only recommends xauth, which xvfb-run cannot do without; bc does the
    # benchmark script's arithmetic
    xauth bc
    # the Windows build (mingw-w64, Qt's host tools, the zip), its Qt from
    # Debian's source, and its tests under Wine
    g++-mingw-w64-x86-64-posix qtbase5-dev-tools qttools5-dev-tools wine wine64 zip unzip
    # building the Debian package and checking what it installs
    dpkg-dev file help2man lintian desktop-file-utils appstream man-db bash-completion
    # many machines at once: the Ansible example run over SSH, the JUnit file
    # checked against its schema and read back, the metrics file checked and
    # served by a real node exporter
    ansible-core openssh-server libxml2-utils python3-junitparser
    prometheus prometheus-node-exporter curl python3-prometheus-client
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
fi
