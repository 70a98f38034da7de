/* Preloaded into vantuke-cli by the read-ahead tests (LD_PRELOAD): makes the opens and reads
 * of the files in one folder slow, as on a network file system, counts how many of them are
 * in flight at once, and can make one file's open or read fail.
 *   VANTUKE_SHIM_DIR=path           the files concerned: those whose path starts with it;
 *   VANTUKE_SHIM_DELAY_US=n         each open and pread of them takes n microseconds longer;
 *   VANTUKE_SHIM_FAIL_OPEN=name     the open of a file whose path ends in name fails (EIO);
 *   VANTUKE_SHIM_FAIL_PREAD=name    every pread of such a file fails (EIO);
 *   VANTUKE_SHIM_REPORT=file        at exit, the most opens and preads that were in flight at
 *                                   once, and how many preads there were, are written there
 *                                   as two decimal numbers. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/types.h>
#include <unistd.h>

enum { kMostFds = 65536, kWatched = 1, kFailRead = 2 };

static unsigned char fds[kMostFds]; /* kWatched, kFailRead of each descriptor */
static int inFlight;
static int mostInFlight;
static int reads;

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

/* Marks a call in flight and waits. */
static void Enter(void) {
    const int now = __atomic_add_fetch(&inFlight, 1, __ATOMIC_SEQ_CST);
    int most = __atomic_load_n(&mostInFlight, __ATOMIC_SEQ_CST);
    while (now > most && !__atomic_compare_exchange_n(&mostInFlight, &most, now, 0,
                                                      __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST)) {
    }
    const char* delay = Setting("VANTUKE_SHIM_DELAY_US");
    if (delay != NULL)
        usleep((useconds_t)atol(delay));
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
        const unsigned char marks =
            kWatched | (failRead != NULL && EndsIn(path, failRead) ? kFailRead : 0);
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
        fprintf(out, "%d %d\n", __atomic_load_n(&mostInFlight, __ATOMIC_SEQ_CST),
                __atomic_load_n(&reads, __ATOMIC_SEQ_CST));
        fclose(out);
    }
}
