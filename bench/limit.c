/* The physical limit of listing tags: for each file named on the command line, open it,
 * take its size, read its last 128 bytes and close it. Prints how many files end in a tag,
 * so that the work cannot be skipped and the count can be checked against vantuke-cli. */
#define _XOPEN_SOURCE 700
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

int main(int argc, char** argv) {
    long tagged = 0;
    for (int i = 1; i < argc; ++i) {
        const int fd = open(argv[i], O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            perror(argv[i]);
            return 1;
        }
        struct stat st;
        char tag[128];
        if (fstat(fd, &st) == 0 && st.st_size >= 128 &&
            pread(fd, tag, sizeof tag, st.st_size - 128) == (ssize_t)sizeof tag &&
            memcmp(tag, "TAG", 3) == 0)
            ++tagged;
        close(fd);
    }
    printf("%ld tagged\n", tagged);
    return 0;
}
