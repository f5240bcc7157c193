#!/usr/bin/env bash
# Builds every shipped file into build/dist/, each named with the version from
# VERSION, and SHA256SUMS beside them:
#   Tamblorn-Setup-<version>.exe   the installer (build/win32, installer/ship.cmake)
#   Tamblorn-<version>.zip         the same stripped Tamblorn.scr and its read-me
#   tamblorn_<version>_<arch>.deb  the X11 program's Debian package (make deb)
#   tamblorn-web-<version>.tar.gz  the page (make web)
# Two builds of one commit give the same bytes, wherever the clone lies: every
# time inside is the last commit's (SOURCE_DATE_EPOCH, which the Makefile sets),
# every archive lists its files in one order and names no owner.
set -euo pipefail
cd "$(dirname "$0")/.."
version=$(head -1 VERSION)
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || stat -c %Y VERSION)}
# zip writes local times: the same in every time zone only in one.
export TZ=UTC
make --no-print-directory ship deb web >/dev/null

dist=build/dist
stage=build/dist-stage
rm -rf "$dist" "$stage"
mkdir -p "$dist" "$stage/zip" "$stage/tamblorn-web-$version"

# Copies FILES into DIR with the modes and the time every build gives them.
stage_files() {
  local dir=$1
  shift
  cp "$@" "$dir/"
  chmod 644 "$dir"/*
  chmod 755 "$dir"
  touch -d "@$SOURCE_DATE_EPOCH" "$dir" "$dir"/*
}

ship=build/win32/ship
cp "$ship/Tamblorn-Setup-$version.exe" "$dist/"

stage_files "$stage/zip" "$ship/Tamblorn.scr" "$ship/README.txt"
(cd "$stage/zip" && zip -q -X -D "../../../$dist/Tamblorn-$version.zip" Tamblorn.scr README.txt)

cp build/deb/tamblorn_"$version"_*.deb "$dist/"

stage_files "$stage/tamblorn-web-$version" build/web/*
tar --sort=name --format=ustar --owner=0 --group=0 --numeric-owner --mtime="@$SOURCE_DATE_EPOCH" \
  -C "$stage" -cf - "tamblorn-web-$version" | gzip -9n > "$dist/tamblorn-web-$version.tar.gz"
rm -rf "$stage"

(cd "$dist" && LC_ALL=C sha256sum -- $(LC_ALL=C ls) > SHA256SUMS)
echo "make-dist: $dist/ (the time of the last commit: $(date -u -d "@$SOURCE_DATE_EPOCH" '+%F %T UTC'))"
(cd "$dist" && ls -l --time-style=+ | tail -n +2 && cat SHA256SUMS)
