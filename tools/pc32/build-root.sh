#!/usr/bin/env bash
# Builds, once per machine, the emulated 32-bit PC in which the shipped 32-bit
# files run where this kernel refuses 32-bit programs (tools/pc32/run.sh): a
# Debian bookworm i386 root with 32-bit Wine as an ext4 image, its kernel and a
# small initrd, under /var/cache/tamblorn/pc32. Run by tools/setup.sh as root;
# a second run (same recipe) does nothing.
#
# The root's second stage runs i386 programs through qemu-user. Its binfmt
# entry names the emulator by a path that exists only inside the new root, so
# the machine's own 32-bit programs stay refused meanwhile, and the entry goes
# when this script ends, whichever way it ends.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cache=${TAMBLORN_PC32_CACHE:-/var/cache/tamblorn/pc32}
mirror=${TAMBLORN_DEBIAN_MIRROR:-http://deb.debian.org/debian}
packages=linux-image-686,wine,wine32,xvfb,x11-apps,x11-utils,xdotool,fonts-ipafont-mincho,fonts-ipafont-gothic,locales,procps,python3,nsis,cmake
root_size=6G
recipe=$(cat "$0" "$here/init.c" | sha256sum | cut -c1-16)
binfmt=/proc/sys/fs/binfmt_misc
entry=tamblorn-pc32-i386
emulator=/.pc32-qemu-i386
i386_magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
i386_mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

made() { [ "$(cat "$cache/made" 2>/dev/null)" = "$recipe" ]; }
# What is made is read without the lock: a plain user, who cannot write root's lock file, finds it built.
made && exit 0
mkdir -p "$cache"
exec 9>"$cache/.lock"
flock 9
made && exit 0
echo "pc32: building the emulated 32-bit PC in $cache (once; about 10-20 minutes)"
started=$(date +%s)
work="$cache/build"
mounted_binfmt=0
clean_up() {
  [ -e "$binfmt/$entry" ] && echo -1 >"$binfmt/$entry"
  [ "$mounted_binfmt" = 1 ] && umount "$binfmt"
  rm -rf "$work"
}
trap clean_up EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
rm -rf "$work" "$cache/made"
mkdir -p "$work"

debootstrap --arch=i386 --foreign --variant=minbase --include="$packages" bookworm "$work/root" "$mirror"
cp /usr/bin/qemu-i386-static "$work/root$emulator"
if [ ! -e "$binfmt/register" ]; then
  mount -t binfmt_misc binfmt_misc "$binfmt"
  mounted_binfmt=1
fi
echo ":$entry:M::$i386_magic:$i386_mask:$emulator:" >"$binfmt/register"
# A private mount namespace: whatever the second stage mounts inside the root goes with it.
# INITRD=No: the kernel package's initramfs takes most of an hour under qemu-user; init.c replaces it.
INITRD=No unshare --mount --propagation private chroot "$work/root" /debootstrap/debootstrap --second-stage
unshare --mount --propagation private chroot "$work/root" /bin/sh -c \
  'localedef -i ja_JP -f UTF-8 ja_JP.UTF-8 && localedef -i hi_IN -f UTF-8 hi_IN.UTF-8 && apt-get clean'
echo -1 >"$binfmt/$entry"
rm -f "$work/root$emulator"
mkdir -p "$work/root/pc32"

mkdir -p "$work/initrd/modules"
gcc -m32 -static -O2 -o "$work/initrd/init" "$here/init.c"
find "$work/root/lib/modules" -name '*.ko' \
  -regextype egrep -regex '.*/(crc16|mbcache|jbd2|crc32c_generic|libcrc32c|ext4|virtio[a-z_]*|virtio_blk)\.ko' \
  -exec cp {} "$work/initrd/modules/" \;
(cd "$work/initrd" && find . | cpio -o -H newc --quiet | gzip) >"$cache/initrd.img"
cp "$(ls "$work"/root/boot/vmlinuz-* | head -1)" "$cache/vmlinuz"
rm -f "$cache/root.img"
mkfs.ext4 -q -L pc32 -d "$work/root" "$cache/root.img" "$root_size"
echo "$recipe" >"$cache/made"
echo "pc32: built in $(( $(date +%s) - started )) s"
