/* The first program of the emulated 32-bit PC (its whole initrd beside the
   modules in /modules): loads the disk and file-system modules, mounts the
   root (first disk) and the run's own disk (second disk, at /pc32) and runs
   /pc32/start.sh there as the PC's init. */
#define _GNU_SOURCE
#include <fcntl.h>
#include <stdio.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

enum { DISK_WAIT_TRIES = 200, DISK_WAIT_MICROSECONDS = 50000 };

/* In the order of their dependencies; one built into the kernel is simply absent. */
static const char *const MODULES[] = {
    "crc16", "mbcache", "jbd2", "crc32c_generic", "libcrc32c", "ext4", "virtio", "virtio_ring",
    "virtio_pci_legacy_dev", "virtio_pci_modern_dev", "virtio_pci", "virtio_blk",
};

static void load_module(const char *name) {
    char path[128];
    snprintf(path, sizeof path, "/modules/%s.ko", name);
    int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    if (syscall(SYS_finit_module, fd, "", 0) != 0) perror(path);
    close(fd);
}

static int wait_for(const char *path) {
    struct stat st;
    for (int i = 0; i < DISK_WAIT_TRIES; ++i) {
        if (stat(path, &st) == 0) return 0;
        usleep(DISK_WAIT_MICROSECONDS);
    }
    fprintf(stderr, "init: %s never came\n", path);
    return -1;
}

int main(void) {
    mkdir("/dev", 0755);
    mount("devtmpfs", "/dev", "devtmpfs", 0, NULL);
    for (unsigned i = 0; i < sizeof MODULES / sizeof MODULES[0]; ++i) load_module(MODULES[i]);
    mkdir("/root", 0755);
    if (wait_for("/dev/vda") || wait_for("/dev/vdb") ||
        mount("/dev/vda", "/root", "ext4", 0, NULL) || mount("/dev/vdb", "/root/pc32", "ext4", 0, NULL) ||
        mount("/dev", "/root/dev", NULL, MS_MOVE, NULL) || chdir("/root") || chroot(".") || chdir("/")) {
        perror("init");
    } else {
        execl("/bin/sh", "sh", "/pc32/start.sh", (char *)NULL);
        perror("init: /pc32/start.sh");
    }
    /* Nothing to run: end the PC rather than leave it waiting (the kernel line says panic=1). */
    return 1;
}
