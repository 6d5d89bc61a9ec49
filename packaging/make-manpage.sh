#!/bin/sh
# Writes a program's manual page from its own --help and --version with
# help2man, compressed as Debian installs manual pages.
#   make-manpage.sh BIN_DIR PROGRAM DESCRIPTION INCLUDE_FILE OUTPUT.1.gz
set -eu
bin_dir=$1 program=$2 description=$3 include=$4 output=$5
# Run by name, so the usage lines name the program and not the build folder.
PATH="$bin_dir:$PATH" help2man --no-info --section=1 --name="$description" \
    --include="$include" --output="$output.tmp" "$program"
gzip -9n <"$output.tmp" >"$output"
rm -f "$output.tmp"
