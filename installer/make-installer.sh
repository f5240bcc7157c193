#!/bin/sh
# Packs the installer from copies of the shipped files that carry the time of
# the last commit, not the time they were built: File keeps each file's time,
# and two builds of one commit must give the same installer.
#   make-installer.sh DATE_FILE PAYLOAD_DIR PROGRAM README MAKENSIS [OPTION...]
set -eu
date_file=$1 payload=$2 program=$3 readme=$4 makensis=$5
shift 5
rm -rf "$payload"
mkdir -p "$payload"
cp "$program" "$readme" "$payload/"
touch -d "@$(cat "$date_file")" "$payload"/*
# makensis reads its options in order: the definitions come before the script.
exec "$makensis" -DPROGRAM="$payload/$(basename "$program")" -DREADME="$payload/$(basename "$readme")" "$@"
