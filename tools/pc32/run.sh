#!/usr/bin/env bash
# Runs a group of checks of 32-bit Windows files in the emulated 32-bit PC that
# tools/pc32/build-root.sh keeps under /var/cache/tamblorn/pc32, for kernels that
# refuse 32-bit programs:
#
#   run.sh WORK_DIR GROUP_SCRIPT NAME=VALUE...
#
# The PC boots from a throw-away overlay of the cached root, with a second disk
# made here: the project's tools, tests, installer and resources (/pc32/src), a
# wine-run.sh for the PC's 32-bit Wine (/pc32/work), GROUP_SCRIPT, and each
# NAME=VALUE as a variable for it; a VALUE that names a file is copied in and
# NAME then holds its path inside the PC (/pc32/files/NAME/<file name>). The
# script writes "check exit-code seconds" lines to /pc32/out/results; that
# folder comes back to WORK_DIR/out. Ends with 0 when every check gave 0, 77
# where no PC has been built, 1 otherwise.
set -u
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
cache=${TAMBLORN_PC32_CACHE:-/var/cache/tamblorn/pc32}
limit=${TAMBLORN_PC32_SECONDS:-3000}
disk_size=4G
work=$1 group=$2
shift 2
if [ ! -f "$cache/made" ]; then
  echo "pc32: no emulated 32-bit PC in $cache (tools/setup.sh builds it)"
  exit 77
fi

rm -rf "$work"
disk="$work/disk"
# The PC and its disks go with this script, also when the test is stopped.
emulator=
clean_up() {
  [ -n "$emulator" ] && kill "$emulator" 2>/dev/null && wait "$emulator"
  rm -rf "$disk" "$work/disk.img" "$work/root.qcow2"
}
trap clean_up EXIT
mkdir -p "$disk/src" "$disk/files" "$disk/out" "$disk/work"
cp -r "$source_dir/tools" "$source_dir/tests" "$source_dir/installer" "$source_dir/resources" "$disk/src/"
cp "$source_dir/tools/pc32/start.sh" "$disk/start.sh"
cp "$group" "$disk/group.sh"
for setting in "$@"; do
  name=${setting%%=*} value=${setting#*=}
  if [ -f "$value" ]; then
    mkdir -p "$disk/files/$name"
    cp "$value" "$disk/files/$name/"
    value="/pc32/files/$name/$(basename "$value")"
  fi
  printf 'export %s=%q\n' "$name" "$value" >>"$disk/group.env"
done
# The caller's TAMBLORN_PC32_* variables go in too (tests/pc32/group.sh reads TAMBLORN_PC32_E2E).
for name in $(compgen -e | grep '^TAMBLORN_PC32_'); do
  printf 'export %s=%q\n' "$name" "${!name}" >>"$disk/group.env"
done
sed -e "s|@PROJECT_SOURCE_DIR@|/pc32/src|; s|@TAMBLORN_WINE_LOADER@|/usr/lib/wine/wine|" \
    -e "s|@TAMBLORN_WINE_PREFIX@|/pc32/work/wineprefix|; s|@TAMBLORN_WINE_ARCH@|win32|" \
    -e "s|@CMAKE_BINARY_DIR@|/pc32/work|" "$source_dir/tools/wine-run.sh.in" >"$disk/work/wine-run.sh"
chmod +x "$disk/work/wine-run.sh"
# The prefix template that make-prefix.sh made in the PC once (wine-run.sh copies it for each prefix).
if [ -f "$cache/wineprefix-template/made" ]; then
  cp -a "$cache/wineprefix-template" "$disk/work/wineprefix-template"
fi
mkfs.ext4 -q -L pc32-run -d "$disk" "$work/disk.img" "$disk_size" >/dev/null || exit 1
qemu-img create -q -f qcow2 -b "$cache/root.img" -F raw "$work/root.qcow2" || exit 1

trap 'exit 130' INT
trap 'exit 143' TERM
started=$(date +%s)
# no_timer_check: on a busy machine the emulated timer fails the kernel's IO-APIC check, which then stops the boot.
timeout "$limit" qemu-system-i386 -smp 2 -m 2048 -display none -monitor none -no-reboot \
  -serial "file:$work/console.log" -kernel "$cache/vmlinuz" -initrd "$cache/initrd.img" \
  -append "console=ttyS0 panic=1 quiet no_timer_check" \
  -drive "file=$work/root.qcow2,if=virtio,format=qcow2" -drive "file=$work/disk.img,if=virtio,format=raw" &
emulator=$!
wait "$emulator"
emulator_code=$?
emulator=
echo "pc32: the PC ran $(( $(date +%s) - started )) s (emulator exit $emulator_code)"

debugfs -R "rdump /out $work" "$work/disk.img" >/dev/null 2>&1
for log in "$work"/out/*.log; do
  [ -f "$log" ] && { echo "== $(basename "$log" .log) =="; cat "$log"; }
done
echo "== results (check, exit code, seconds in the PC) =="
cat "$work/out/results" 2>/dev/null
# The group came to its end, ran checks, and every one gave 0.
if [ "$(tail -1 "$work/out/results" 2>/dev/null)" != end ] || [ "$(grep -cv '^end$' "$work/out/results")" = 0 ] ||
   grep -qv -e ' 0 [0-9]*$' -e '^end$' "$work/out/results"; then
  echo "pc32: the group did not pass; the end of the PC's console:"
  tail -20 "$work/console.log"
  exit 1
fi
