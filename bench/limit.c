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
 * Prints how many files ended in a tag, so that the work cannot be skipped. */
#define _GNU_SOURCE
#include <fcntl.h>
#include <stdio.h>
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
    fprintf(stderr, "usage: %s list|write|rename [--lock] FILE...\n", program);
    return 64;
}

int main(int argc, char** argv) {
    if (argc < 2)
        return Usage(argv[0]);
    enum Mode mode;
    if (strcmp(argv[1], "list") == 0)
        mode = kList;
    else if (strcmp(argv[1], "write") == 0)
        mode = kWrite;
    else if (strcmp(argv[1], "rename") == 0)
        mode = kRename;
    else
        return Usage(argv[0]);
    int first = 2;
    int lock = 0;
    if (first < argc && strcmp(argv[first], "--lock") == 0) {
        lock = 1;
        ++first;
    }
    static char out[1 << 20];
    setvbuf(stdout, out, _IOFBF, sizeof out);
    long tagged = 0;
    for (int i = first; i < argc; ++i) {
        /* A write lock needs a descriptor open for writing. */
        const int fd = open(argv[i], (mode == kWrite || lock ? O_RDWR : O_RDONLY) | O_CLOEXEC);
        if (fd < 0) {
            perror(argv[i]);
            return 1;
        }
        if (lock) {
            struct flock whole = {.l_type = F_WRLCK, .l_whence = SEEK_SET};
            if (fcntl(fd, F_OFD_SETLKW, &whole) != 0) {
                perror(argv[i]);
                return 1;
            }
        }
        struct stat st;
        char tag[128];
        if (fstat(fd, &st) == 0 && st.st_size >= 128 &&
            pread(fd, tag, sizeof tag, st.st_size - 128) == (ssize_t)sizeof tag &&
            memcmp(tag, "TAG", 3) == 0) {
            ++tagged;
            const char* title = tag + 3;
            const char* artist = tag + 33;
            if (mode == kList) {
                fwrite(artist, 1, FieldLength(artist, 30), stdout);
                fputs(" - ", stdout);
                fwrite(title, 1, FieldLength(title, 30), stdout);
                putchar('\n');
            } else if (mode == kWrite) {
                memset(tag + 33, 0, 30);
                tag[33] = 'X';
                if (pwrite(fd, tag, sizeof tag, st.st_size - 128) != (ssize_t)sizeof tag) {
                    perror(argv[i]);
                    return 1;
                }
            } else {
                char path[4096];
                const char* slash = strrchr(argv[i], '/');
                const int folder = slash ? (int)(slash - argv[i] + 1) : 0;
                snprintf(path, sizeof path, "%.*s%.*s - %.*s.mp3", folder, argv[i],
                         (int)FieldLength(title, 30), title, (int)FieldLength(artist, 30), artist);
                if (rename(argv[i], path) != 0) {
                    perror(path);
                    return 1;
                }
            }
        }
        close(fd);
    }
    fprintf(stderr, "%ld tagged\n", tagged);
    return fflush(stdout) == 0 ? 0 : 1;
}
