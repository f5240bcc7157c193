#!/usr/bin/env bash
# The Debian package as Debian judges it (lintian: no error, no warning), and
# as anyone rebuilding this commit gets it: every member of both its archives
# carries the last commit's time, not the time of the build.
#   package_check.sh SOURCE_DIR
set -euo pipefail
root=$1
make -C "$root" --no-print-directory deb >/dev/null
deb=$(ls "$root"/build/tamblorn_"$(head -1 "$root/VERSION")"_*.deb)
lintian --fail-on error,warning "$deb"
commit_time=$(date -u -d "@${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct)}" '+%F %T')
if (dpkg-deb --ctrl-tarfile "$deb"; dpkg-deb --fsys-tarfile "$deb") | tar tv --full-time --utc |
   grep -vF " $commit_time " >&2; then
  echo "package_check: these members are not of the last commit's time, $commit_time UTC" >&2
  exit 1
fi
