#!/usr/bin/env bash
# make dist again in a second clone of this commit (with the tree's changes to
# tracked files), at a longer path and minutes later: every file of build/dist/
# must be the same bytes. Names each file that differs and its first differing
# byte, and keeps that clone.
#   second_build.sh SOURCE_DIR WORK_DIR
set -euo pipefail
root=$1 clone=$2/second-clone-at-a-longer-path
export SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct)
bash "$root/tools/make-dist.sh" >/dev/null
rm -rf "$clone" && git clone -q "$root" "$clone"
git -C "$clone" checkout -q --detach "$(git -C "$root" rev-parse HEAD)"
git -C "$root" diff --binary HEAD | git -C "$clone" apply --allow-empty
bash "$clone/tools/make-dist.sh" >/dev/null
status=0
for name in $( (ls "$root/build/dist"; ls "$clone/build/dist") | LC_ALL=C sort -u); do
  difference=$(cmp -- "$root/build/dist/$name" "$clone/build/dist/$name" 2>&1) ||
    { echo "second_build: $name differs in the second build: ${difference##*differ: }" >&2; status=1; }
done
[ "$status" -eq 0 ] || { echo "second_build: the second build is kept in $clone" >&2; exit 1; }
rm -rf "$clone"
echo "second_build: the $(ls "$root/build/dist" | wc -l) files of build/dist/ are the same in a second clone"
