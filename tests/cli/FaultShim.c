/* Preloaded into vantuke-cli by the fault tests (LD_PRELOAD) to make one system call fail
 * the way a file system or a full disk would:
 *   VANTUKE_SHIM_RENAMEAT2_ERRNO=n  renameat2 fails with errno n (22: the file system has no
 *                                   RENAME_NOREPLACE);
 *   VANTUKE_SHIM_PWRITE_BYTES=n     pwrite puts n bytes in all, then stops short and fails once
 *                                   with ENOSPC, as a disk that fills up in the middle of a
 *                                   write; bytes written over afterwards go through again, as
 *                                   they do on blocks the file already has;
 *   VANTUKE_SHIM_SLOW_US=n          renameat2 and pwrite take n microseconds longer, so that a
 *                                   run can be killed in its middle. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/types.h>
#include <unistd.h>

static void Slow(void) {
    static long slow = -1;
    if (slow < 0) {
        const char* us = getenv("VANTUKE_SHIM_SLOW_US");
        slow = us != NULL ? atol(us) : 0;
    }
    if (slow > 0)
        usleep((useconds_t)slow);
}

typedef int RenameAt2(int, const char*, int, const char*, unsigned int);
typedef ssize_t PWrite(int, const void*, size_t, off_t);

int renameat2(int oldDir, const char* oldPath, int newDir, const char* newPath,
              unsigned int flags) {
    const char* fail = getenv("VANTUKE_SHIM_RENAMEAT2_ERRNO");
    if (fail != NULL) {
        errno = atoi(fail);
        return -1;
    }
    Slow();
    RenameAt2* real;
    *(void**)&real = dlsym(RTLD_NEXT, "renameat2");
    return real(oldDir, oldPath, newDir, newPath, flags);
}

static ssize_t LimitedWrite(const char* name, int fd, const void* bytes, size_t count,
                            off_t offset) {
    static long long left = -2; /* -2: not read yet; -1: no limit */
    Slow();
    if (left == -2) {
        const char* budget = getenv("VANTUKE_SHIM_PWRITE_BYTES");
        left = budget != NULL ? atoll(budget) : -1;
    }
    if (left == 0) {
        left = -1;
        errno = ENOSPC;
        return -1;
    }
    if (left > 0 && (long long)count > left)
        count = (size_t)left;
    PWrite* real;
    *(void**)&real = dlsym(RTLD_NEXT, name);
    const ssize_t put = real(fd, bytes, count, offset);
    if (left > 0 && put > 0)
        left -= put;
    return put;
}

ssize_t pwrite(int fd, const void* bytes, size_t count, off_t offset) {
    return LimitedWrite("pwrite", fd, bytes, count, offset);
}

ssize_t pwrite64(int fd, const void* bytes, size_t count, off_t offset) {
    return LimitedWrite("pwrite64", fd, bytes, count, offset);
}
