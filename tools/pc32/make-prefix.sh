#!/usr/bin/env bash
# Makes, once per machine, the 32-bit Wine prefix template of the emulated PC
# (beside its root, made by build-root.sh): the PC's Wine takes minutes for a
# new prefix, and every run (run.sh) starts from a copy of this one instead.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cache=${TAMBLORN_PC32_CACHE:-/var/cache/tamblorn/pc32}
template="$cache/wineprefix-template"
[ -f "$template/made" ] && exit 0
echo "pc32: making the emulated PC's Wine prefix (once; a few minutes)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat >"$work/group.sh" <<'GROUP'
. /pc32/src/tools/lib.sh
tamblorn_make_prefix /usr/lib/wine/wine /pc32/work/wineprefix /pc32/out/wineprefix-template
echo "prefix $? $SECONDS" >>/pc32/out/results
GROUP
bash "$here/run.sh" "$work/run" "$work/group.sh"
rm -rf "$template"
mv "$work/run/out/wineprefix-template" "$template"
