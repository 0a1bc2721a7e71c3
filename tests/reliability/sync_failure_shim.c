// Preloaded into the crash writer: the RX_FAIL_SYNC-th fsync or fdatasync of
// a database file (its name holds "accdb": the file and its -wal) fails with
// EIO without syncing anything, as a disk that lost the write would answer.
// Every other call goes through.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

static atomic_long syncs;

static int failsNow(int fd) {
    char link[64], target[4096];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = readlink(link, target, sizeof target - 1);
    if (n <= 0) return 0;
    target[n] = '\0';
    if (!strstr(target, "accdb")) return 0;
    const char* k = getenv("RX_FAIL_SYNC");
    return k && atomic_fetch_add(&syncs, 1) + 1 == atol(k);
}

static int passOn(const char* name, int fd) {
    int (*real)(int) = (int (*)(int))dlsym(RTLD_NEXT, name);
    return real ? real(fd) : -1;
}

int fsync(int fd) {
    if (failsNow(fd)) return errno = EIO, -1;
    return passOn("fsync", fd);
}

int fdatasync(int fd) {
    if (failsNow(fd)) return errno = EIO, -1;
    return passOn("fdatasync", fd);
}
