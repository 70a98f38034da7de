/* Preloaded into vantuke-cli by the read-ahead tests (LD_PRELOAD): makes the opens, reads and
 * writes of the files in one folder slow, as on a network file system, counts how many of
 * them are in flight at once, and can make one file's open, read or write fail.
 *   VANTUKE_SHIM_DIR=path           the files concerned: those whose path starts with it;
 *   VANTUKE_SHIM_DELAY_US=n         each open, pread, pwrite and ftruncate of them takes n
 *                                   microseconds longer;
 *   VANTUKE_SHIM_FAIL_OPEN=name     the open of a file whose path ends in name fails (EIO);
 *   VANTUKE_SHIM_FAIL_PREAD=name    every pread of such a file fails (EIO);
 *   VANTUKE_SHIM_FAIL_PWRITE=name   every pwrite of such a file fails (EIO);
 *   VANTUKE_SHIM_FAIL_PUT_BACK=name the first pwrite of such a file is made, every later one
 *                                   (putting it back) fails (EIO);
 *   VANTUKE_SHIM_TAKE_NAME=name     just before a file is renamed to a path that ends in name,
 *                                   another program (the shim) creates that path;
 *   VANTUKE_SHIM_REPORT=file        at exit, the most opens and preads that were in flight at
 *                                   once, how many preads there were, and the most pwrites and
 *                                   ftruncates in flight at once are written there as three
 *                                   decimal numbers. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/types.h>
#include <unistd.h>

enum { kMostFds = 65536, kWatched = 1, kFailRead = 2, kFailWrite = 4, kFailLaterWrite = 8 };

static unsigned char fds[kMostFds]; /* the marks above of each descriptor */
static int inFlight;
static int mostInFlight;
static int reads;
static int writesInFlight;
static int mostWritesInFlight;
static atomic_int laterWrite; /* the kFailLaterWrite file has been written once */

static const char* Setting(const char* name) {
    const char* value = getenv(name);
    return value != NULL && *value != '\0' ? value : NULL;
}

static int EndsIn(const char* path, const char* end) {
    const size_t n = strlen(path), m = strlen(end);
    return n >= m && strcmp(path + n - m, end) == 0;
}

static int Concerned(const char* path) {
    const char* dir = Setting("VANTUKE_SHIM_DIR");
    return path != NULL && dir != NULL && strncmp(path, dir, strlen(dir)) == 0;
}

/* Marks a call in flight (counted in count, its most in most) and waits. */
static void EnterCounted(int* count, int* most) {
    const int now = __atomic_add_fetch(count, 1, __ATOMIC_SEQ_CST);
    int seen = __atomic_load_n(most, __ATOMIC_SEQ_CST);
    while (now > seen &&
           !__atomic_compare_exchange_n(most, &seen, now, 0, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST)) {
    }
    const char* delay = Setting("VANTUKE_SHIM_DELAY_US");
    if (delay != NULL)
        usleep((useconds_t)atol(delay));
}

static void Enter(void) {
    EnterCounted(&inFlight, &mostInFlight);
}

static void Leave(void) {
    __atomic_sub_fetch(&inFlight, 1, __ATOMIC_SEQ_CST);
}

static void* Real(const char* name) {
    return dlsym(RTLD_NEXT, name);
}

typedef int OpenAt(int, const char*, int, ...);
typedef int OpenPath(const char*, int, ...);

/* The real call of that name: open and open64 take no folder. */
static int RealOpen(const char* name, int dir, const char* path, int flags, mode_t mode) {
    if (strstr(name, "openat") != NULL) {
        OpenAt* real;
        *(void**)&real = Real(name);
        return real(dir, path, flags, mode);
    }
    OpenPath* real;
    *(void**)&real = Real(name);
    return real(path, flags, mode);
}

static int Open(const char* name, int dir, const char* path, int flags, mode_t mode) {
    if (!Concerned(path))
        return RealOpen(name, dir, path, flags, mode);
    Enter();
    const char* failOpen = Setting("VANTUKE_SHIM_FAIL_OPEN");
    int fd;
    if (failOpen != NULL && EndsIn(path, failOpen)) {
        errno = EIO;
        fd = -1;
    } else {
        fd = RealOpen(name, dir, path, flags, mode);
    }
    if (fd >= 0 && fd < kMostFds) {
        const char* failRead = Setting("VANTUKE_SHIM_FAIL_PREAD");
        const char* failWrite = Setting("VANTUKE_SHIM_FAIL_PWRITE");
        const char* failLater = Setting("VANTUKE_SHIM_FAIL_PUT_BACK");
        const unsigned char marks =
            kWatched | (failRead != NULL && EndsIn(path, failRead) ? kFailRead : 0) |
            (failWrite != NULL && EndsIn(path, failWrite) ? kFailWrite : 0) |
            (failLater != NULL && EndsIn(path, failLater) ? kFailLaterWrite : 0);
        __atomic_store_n(&fds[fd], marks, __ATOMIC_SEQ_CST);
    }
    const int saved = errno;
    Leave();
    errno = saved;
    return fd;
}

static mode_t ModeOf(int flags, va_list args) {
    return (flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE ? va_arg(args, mode_t) : 0;
}

/* The wrappers of open, open64 (no folder) and openat, openat64. */
#define OPEN_IN_FOLDER(name)                                                                       \
    int name(int dir, const char* path, int flags, ...) {                                          \
        va_list args;                                                                              \
        va_start(args, flags);                                                                     \
        const mode_t mode = ModeOf(flags, args);                                                   \
        va_end(args);                                                                              \
        return Open(#name, dir, path, flags, mode);                                                \
    }
#define OPEN_PATH(name)                                                                            \
    int name(const char* path, int flags, ...) {                                                   \
        va_list args;                                                                              \
        va_start(args, flags);                                                                     \
        const mode_t mode = ModeOf(flags, args);                                                   \
        va_end(args);                                                                              \
        return Open(#name, AT_FDCWD, path, flags, mode);                                           \
    }
OPEN_PATH(open)
OPEN_PATH(open64)
OPEN_IN_FOLDER(openat)
OPEN_IN_FOLDER(openat64)

typedef ssize_t PRead(int, void*, size_t, off_t);

static ssize_t Read(const char* name, int fd, void* out, size_t count, off_t offset) {
    PRead* real;
    *(void**)&real = Real(name);
    const unsigned char marks =
        fd >= 0 && fd < kMostFds ? __atomic_load_n(&fds[fd], __ATOMIC_SEQ_CST) : 0;
    if ((marks & kWatched) == 0)
        return real(fd, out, count, offset);
    __atomic_add_fetch(&reads, 1, __ATOMIC_SEQ_CST);
    Enter();
    ssize_t got;
    if ((marks & kFailRead) != 0) {
        errno = EIO;
        got = -1;
    } else {
        got = real(fd, out, count, offset);
    }
    const int saved = errno;
    Leave();
    errno = saved;
    return got;
}

ssize_t pread(int fd, void* out, size_t count, off_t offset) {
    return Read("pread", fd, out, count, offset);
}

ssize_t pread64(int fd, void* out, size_t count, off_t offset) {
    return Read("pread64", fd, out, count, offset);
}

/* A write or cut of a watched file: counted, slowed, and failed for kFailWrite (and for
 * kFailLaterWrite once the file was written). */
static int Write(int fd, int* failed) {
    const unsigned char marks =
        fd >= 0 && fd < kMostFds ? __atomic_load_n(&fds[fd], __ATOMIC_SEQ_CST) : 0;
    *failed = (marks & kFailWrite) != 0 ||
              ((marks & kFailLaterWrite) != 0 && atomic_exchange(&laterWrite, 1) != 0);
    if ((marks & kWatched) == 0)
        return 0;
    EnterCounted(&writesInFlight, &mostWritesInFlight);
    return 1;
}

static ssize_t WriteAt(const char* name, int fd, const void* bytes, size_t count, off_t offset) {
    ssize_t (*real)(int, const void*, size_t, off_t);
    *(void**)&real = Real(name);
    int failed;
    const int watched = Write(fd, &failed);
    ssize_t put;
    if (failed) {
        errno = EIO;
        put = -1;
    } else {
        put = real(fd, bytes, count, offset);
    }
    const int saved = errno;
    if (watched)
        __atomic_sub_fetch(&writesInFlight, 1, __ATOMIC_SEQ_CST);
    errno = saved;
    return put;
}

ssize_t pwrite(int fd, const void* bytes, size_t count, off_t offset) {
    return WriteAt("pwrite", fd, bytes, count, offset);
}

ssize_t pwrite64(int fd, const void* bytes, size_t count, off_t offset) {
    return WriteAt("pwrite64", fd, bytes, count, offset);
}

static int Cut(const char* name, int fd, off_t size) {
    int (*real)(int, off_t);
    *(void**)&real = Real(name);
    int failed;
    const int watched = Write(fd, &failed);
    const int rc = real(fd, size);
    const int saved = errno;
    if (watched)
        __atomic_sub_fetch(&writesInFlight, 1, __ATOMIC_SEQ_CST);
    errno = saved;
    return rc;
}

int ftruncate(int fd, off_t size) {
    return Cut("ftruncate", fd, size);
}

int ftruncate64(int fd, off_t size) {
    return Cut("ftruncate64", fd, size);
}

/* Another program takes the new name of a rename to a path that ends in
 * VANTUKE_SHIM_TAKE_NAME, once, just before the rename. */
static void TakeName(int dir, const char* to) {
    static atomic_int taken;
    const char* name = Setting("VANTUKE_SHIM_TAKE_NAME");
    if (name == NULL || !EndsIn(to, name) || atomic_exchange(&taken, 1) != 0)
        return;
    const int fd = RealOpen("openat", dir, to, O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd >= 0) {
        if (write(fd, "taken\n", 6) != 6)
            perror("shim: taking a name");
        int (*real)(int);
        *(void**)&real = Real("close");
        real(fd);
    }
}

int renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned flags) {
    TakeName(toDir, to);
    int (*real)(int, const char*, int, const char*, unsigned);
    *(void**)&real = Real("renameat2");
    return real(fromDir, from, toDir, to, flags);
}

int close(int fd) {
    if (fd >= 0 && fd < kMostFds)
        __atomic_store_n(&fds[fd], 0, __ATOMIC_SEQ_CST);
    int (*real)(int);
    *(void**)&real = Real("close");
    return real(fd);
}

__attribute__((destructor)) static void Report(void) {
    const char* report = Setting("VANTUKE_SHIM_REPORT");
    if (report == NULL)
        return;
    FILE* out = fopen(report, "w");
    if (out != NULL) {
        fprintf(out, "%d %d %d\n", __atomic_load_n(&mostInFlight, __ATOMIC_SEQ_CST),
                __atomic_load_n(&reads, __ATOMIC_SEQ_CST),
                __atomic_load_n(&mostWritesInFlight, __ATOMIC_SEQ_CST));
        fclose(out);
    }
}
