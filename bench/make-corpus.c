/* Writes COUNT small tagged MP3 files into DIR (created if missing), named
 * "Artist - Title.mp3" with a matching ID3v1 tag, 2 to 4 KiB each. With "id3v2" as a third
 * argument each file also begins with an ID3v2.3 tag of the same song (title, artist, album,
 * year, comment, genre, track) and 512 bytes of padding, as tag editors write them. */
#define _XOPEN_SOURCE 700
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

static const char* const kArtists[] = {
    "Dj Star",      "The Lanterns",  "Mara Quinn",     "Blue Harbour",  "Oskar Lind",
    "Night Shift",  "Paloma Reyes",  "The Copper Sun", "Jonas Berg",    "Velvet Static",
    "Amira Haddad", "Low Orbit",     "Kit Monroe",     "The Wanderers", "Sofia Marin",
    "Echo Valley",  "Ray Donovan",   "Glass Animals",  "Lena Vogt",     "Midnight Ferry",
    "Tomasz Nowak", "Silver Lining", "June Carter",    "The Drifters",  "Yuki Tanaka",
};
static const char* const kWords1[] = {
    "Morning",  "Golden", "Silent", "Broken", "Electric", "Summer", "Distant",
    "Northern", "Hollow", "Secret", "Paper",  "Crimson",  "Wild",   "Little",
    "Endless",  "Faded",  "Lonely", "Velvet", "Burning",  "Quiet",
};
static const char* const kWords2[] = {
    "Light",  "River",  "Heart", "Road",   "Dreams", "Rain",   "Fire",    "Harbour",
    "Echoes", "Garden", "Train", "Skies",  "Letter", "Shadow", "Highway", "Waves",
    "Stars",  "City",   "Song",  "Winter", "Mirror", "Storm",  "Island",  "Lights",
};
static const char* const kAlbums[] = {
    "First Light", "Live at the Roxy", "Greatest Hits", "Northern Songs", "Blue Room Sessions",
    "Paper Moon",  "Night Drive",      "Homecoming",    "The Long Road",  "Unplugged",
};

#define COUNT_OF(a) (sizeof(a) / sizeof(a[0]))

/* Appends a version 2.3 frame holding an ISO-8859-1 text (a comment when lang is given). */
static size_t Frame(unsigned char* at, const char* id, const char* lang, const char* text) {
    const size_t head = lang ? 1 + 3 + 1 : 1; /* encoding, language, empty description */
    const size_t size = head + strlen(text);
    memcpy(at, id, 4);
    at[4] = (unsigned char)(size >> 24);
    at[5] = (unsigned char)(size >> 16);
    at[6] = (unsigned char)(size >> 8);
    at[7] = (unsigned char)size;
    at[8] = at[9] = 0;
    at[10] = 0;
    if (lang) {
        memcpy(at + 11, lang, 3);
        at[14] = 0;
    }
    memcpy(at + 10 + head, text, strlen(text));
    return 10 + size;
}

static void Field(unsigned char* at, const char* text, size_t width) {
    const size_t n = strlen(text) < width ? strlen(text) : width;
    memcpy(at, text, n);
    memset(at + n, 0, width - n);
}

int main(int argc, char** argv) {
    if (argc != 3 && !(argc == 4 && strcmp(argv[3], "id3v2") == 0)) {
        fprintf(stderr, "usage: %s DIR COUNT [id3v2]\n", argv[0]);
        return 64;
    }
    const int id3v2 = argc == 4;
    const char* dir = argv[1];
    const long count = strtol(argv[2], NULL, 10);
    const size_t songs = COUNT_OF(kArtists) * COUNT_OF(kWords1) * COUNT_OF(kWords2);
    if (count < 0 || (size_t)count > songs) {
        fprintf(stderr, "COUNT must lie between 0 and %zu\n", songs);
        return 64;
    }
    if (mkdir(dir, 0755) != 0 && errno != EEXIST) {
        perror(dir);
        return 1;
    }
    unsigned seed = 12345;
    static unsigned char buffer[4096 + 128];
    static unsigned char v2[1024];
    for (long i = 0; i < count; ++i) {
        const char* artist = kArtists[i % COUNT_OF(kArtists)];
        const long song = i / COUNT_OF(kArtists);
        char title[64], year[8], path[4096];
        snprintf(title, sizeof title, "%s %s", kWords1[song % COUNT_OF(kWords1)],
                 kWords2[song / COUNT_OF(kWords1)]);
        snprintf(year, sizeof year, "%ld", 1960 + i % 60);
        snprintf(path, sizeof path, "%s/%s - %s.mp3", dir, artist, title);

        const size_t audio = 2048 + (size_t)(i * 7919 % 2049);
        buffer[0] = 0xFF; /* an MPEG frame header, then noise */
        buffer[1] = 0xFB;
        buffer[2] = 0x90;
        buffer[3] = 0x64;
        for (size_t k = 4; k < audio; ++k) {
            seed = seed * 1103515245u + 12345u;
            buffer[k] = (unsigned char)(seed >> 16);
        }
        unsigned char* tag = buffer + audio;
        memcpy(tag, "TAG", 3);
        Field(tag + 3, title, 30);
        Field(tag + 33, artist, 30);
        Field(tag + 63, kAlbums[i % COUNT_OF(kAlbums)], 30);
        Field(tag + 93, year, 4);
        Field(tag + 97, "", 30);
        tag[127] = (unsigned char)(i % 148);

        size_t v2size = 0;
        if (id3v2) {
            char genre[8], track[8];
            snprintf(genre, sizeof genre, "(%ld)", i % 148);
            snprintf(track, sizeof track, "%ld/12", 1 + i % 12);
            size_t n = 10;
            n += Frame(v2 + n, "TIT2", NULL, title);
            n += Frame(v2 + n, "TPE1", NULL, artist);
            n += Frame(v2 + n, "TALB", NULL, kAlbums[i % COUNT_OF(kAlbums)]);
            n += Frame(v2 + n, "TYER", NULL, year);
            n += Frame(v2 + n, "COMM", "eng", "Ripped for the benchmark");
            n += Frame(v2 + n, "TCON", NULL, genre);
            n += Frame(v2 + n, "TRCK", NULL, track);
            memset(v2 + n, 0, 512);
            v2size = n + 512;
            const size_t body = v2size - 10;
            memcpy(v2, "ID3\x03\x00\x00", 6);
            for (int k = 0; k < 4; ++k)
                v2[6 + k] = (unsigned char)((body >> (7 * (3 - k))) & 0x7F);
        }

        FILE* f = fopen(path, "wb");
        if (f == NULL || fwrite(v2, 1, v2size, f) != v2size ||
            fwrite(buffer, 1, audio + 128, f) != audio + 128 || fclose(f) != 0) {
            perror(path);
            return 1;
        }
    }
    return 0;
}
