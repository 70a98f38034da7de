/* The physical limits of vantuke-cli's work: for each file named on the command line, the
 * system calls the work cannot do without, and as little else as C allows.
 *
 *   limit list FILE...            open read-only, take the size, read the last 128 bytes,
 *                                 print "Artist - Title" when they are a tag, close;
 *   limit write [--lock] FILE...  open for writing, take the size, read the last 128 bytes,
 *                                 write them back with the artist "X", close;
 *   limit rename [--lock] FILE... open, take the size, read the last 128 bytes, rename the
 *                                 file in its folder to "Title - Artist.mp3", close.
 *                                 (With --lock the files are opened for writing, as a
 *                                 write lock needs.)
 *
 * --lock also takes the exclusive lock on the whole file that vantuke-cli holds while it
 * changes a file (one fcntl F_OFD_SETLKW), so its cost can be told from the rest.
 * Every mode takes [--lock] [--threads N] before the files.
 * --threads N shares the files among N threads, each taking the next file not yet taken, so
 * that the waits of a network file system overlap; the lines still come out in file order.
 * Prints how many files ended in a tag, so that the work cannot be skipped. */
#define _GNU_SOURCE
#include <fcntl.h>
#include <pthread.h>
#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

enum Mode { kList, kWrite, kRename };

/* A tag field's text: its bytes before the first NUL, spaces at the end dropped. */
static size_t FieldLength(const char* field, size_t width) {
    size_t n = strnlen(field, width);
    while (n > 0 && field[n - 1] == ' ')
        --n;
    return n;
}

static int Usage(const char* program) {
    fprintf(stderr, "usage: %s list|write|rename [--lock] [--threads N] FILE...\n", program);
    return 64;
}

/* What every thread shares: the files, what to do with them, and what came of each. */
struct Work {
    enum Mode mode;
    int lock;
    char** files;
    int count;
    atomic_int next; /* the next file no thread has taken */
    atomic_long tagged;
    atomic_int failed;
    char (*lines)[64]; /* list: "Artist - Title" of each file, empty when untagged */
};

/* One file: 0, or 1 after printing why it failed. */
static int DoFile(struct Work* work, int i) {
    const char* file = work->files[i];
    const enum Mode mode = work->mode;
    /* A write lock needs a descriptor open for writing. */
    const int fd = open(file, (mode == kWrite || work->lock ? O_RDWR : O_RDONLY) | O_CLOEXEC);
    if (fd < 0) {
        perror(file);
        return 1;
    }
    int failed = 0;
    if (work->lock) {
        struct flock whole = {.l_type = F_WRLCK, .l_whence = SEEK_SET};
        if (fcntl(fd, F_OFD_SETLKW, &whole) != 0) {
            perror(file);
            close(fd);
            return 1;
        }
    }
    struct stat st;
    char tag[128];
    if (fstat(fd, &st) == 0 && st.st_size >= 128 &&
        pread(fd, tag, sizeof tag, st.st_size - 128) == (ssize_t)sizeof tag &&
        memcmp(tag, "TAG", 3) == 0) {
        ++work->tagged;
        const char* title = tag + 3;
        const char* artist = tag + 33;
        if (mode == kList) {
            snprintf(work->lines[i], sizeof work->lines[i], "%.*s - %.*s",
                     (int)FieldLength(artist, 30), artist, (int)FieldLength(title, 30), title);
        } else if (mode == kWrite) {
            memset(tag + 33, 0, 30);
            tag[33] = 'X';
            if (pwrite(fd, tag, sizeof tag, st.st_size - 128) != (ssize_t)sizeof tag) {
                perror(file);
                failed = 1;
            }
        } else {
            char path[4096];
            const char* slash = strrchr(file, '/');
            const int folder = slash ? (int)(slash - file + 1) : 0;
            snprintf(path, sizeof path, "%.*s%.*s - %.*s.mp3", folder, file,
                     (int)FieldLength(title, 30), title, (int)FieldLength(artist, 30), artist);
            if (rename(file, path) != 0) {
                perror(path);
                failed = 1;
            }
        }
    }
    close(fd);
    return failed;
}

static void* Worker(void* arg) {
    struct Work* work = arg;
    for (int i; (i = atomic_fetch_add(&work->next, 1)) < work->count;) {
        if (DoFile(work, i) != 0)
            atomic_store(&work->failed, 1);
    }
    return NULL;
}

int main(int argc, char** argv) {
    if (argc < 2)
        return Usage(argv[0]);
    struct Work work = {0};
    if (strcmp(argv[1], "list") == 0)
        work.mode = kList;
    else if (strcmp(argv[1], "write") == 0)
        work.mode = kWrite;
    else if (strcmp(argv[1], "rename") == 0)
        work.mode = kRename;
    else
        return Usage(argv[0]);
    int first = 2;
    int threads = 1;
    for (;;) {
        if (first < argc && strcmp(argv[first], "--lock") == 0) {
            work.lock = 1;
            ++first;
        } else if (first + 1 < argc && strcmp(argv[first], "--threads") == 0) {
            threads = atoi(argv[first + 1]);
            if (threads < 1)
                return Usage(argv[0]);
            first += 2;
        } else {
            break;
        }
    }
    work.files = argv + first;
    work.count = argc - first;
    work.lines = calloc((size_t)work.count + 1, sizeof *work.lines);
    if (work.lines == NULL) {
        perror("calloc");
        return 1;
    }
    if (threads == 1) {
        Worker(&work);
    } else {
        pthread_t* pool = calloc((size_t)threads, sizeof *pool);
        int started = 0;
        while (pool != NULL && started < threads &&
               pthread_create(&pool[started], NULL, Worker, &work) == 0)
            ++started;
        Worker(&work); /* also covers threads that could not be started */
        for (int t = 0; t < started; ++t)
            pthread_join(pool[t], NULL);
        free(pool);
    }
    static char out[1 << 20];
    setvbuf(stdout, out, _IOFBF, sizeof out);
    if (work.mode == kList) {
        for (int i = 0; i < work.count; ++i) {
            if (work.lines[i][0] != '\0')
                puts(work.lines[i]);
        }
    }
    free(work.lines);
    fprintf(stderr, "%ld tagged\n", atomic_load(&work.tagged));
    return fflush(stdout) == 0 && !atomic_load(&work.failed) ? 0 : 1;
}
