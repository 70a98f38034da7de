/* Rewrites the ID3v1 tag at the end of each FILE (as make-corpus writes them) with Russian
 * texts in Windows-1251 or Chinese texts in GBK: collections whose tags are read in a code
 * page other than Windows-1252.
 * Usage: code-page-tags russian|chinese FILE... */
#define _XOPEN_SOURCE 700
#include <iconv.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define COUNT_OF(a) (sizeof(a) / sizeof(a[0]))

struct Language {
    const char* name;
    const char* codePage; /* as iconv knows it */
    const char* artists[16];
    const char* words1[12];
    const char* words2[12];
    const char* albums[6];
};

static const struct Language kLanguages[] = {
    {"russian",
     "CP1251",
     {"Кино", "ДДТ", "Аквариум", "Наутилус Помпилиус", "Алиса", "Сплин", "Ария", "Земфира",
      "Машина времени", "Чайф", "Агата Кристи", "Мумий Тролль", "Пикник", "Би-2", "Ленинград",
      "Браво"},
     {"Белая", "Тихая", "Последняя", "Вечная", "Звёздная", "Осенняя", "Северная", "Тёплая",
      "Ночная", "Чёрная", "Летняя", "Дальняя"},
     {"дорога", "река", "песня", "осень", "звезда", "ночь", "весна", "любовь", "зима", "вода",
      "надежда", "память"},
     {"Группа крови", "Чёрный альбом", "Радио Африка", "Разлука", "Гранатовый альбом",
      "Лучшие песни"}},
    {"chinese",
     "GBK",
     {"邓丽君", "王菲", "周杰伦", "张学友", "刘德华", "陈奕迅", "孙燕姿", "蔡依林", "林俊杰",
      "五月天", "那英", "李宗盛", "崔健", "汪峰", "朴树", "许巍"},
     {"月亮", "春天", "青花", "红豆", "江南", "童年", "平凡", "曾经", "大约", "无地", "渴望",
      "阴天"},
     {"代表我的心", "里的故事", "之路", "的你", "在冬季", "自容", "的梦", "不落", "的风景", "与海",
      "的旅行", "之歌"},
     {"岛国之情歌", "唱游", "我很忙", "魔杰座", "吻别", "忘情水"}},
};

/* The text in the language's code page, NUL-padded or cut to width bytes (a cut may fall in
 * a character, as a careless tag writer's would). */
static int Field(iconv_t convert, unsigned char* at, const char* text, size_t width) {
    char* in = (char*)text;
    size_t inLeft = strlen(text);
    char out[256];
    char* to = out;
    size_t outLeft = sizeof out;
    iconv(convert, NULL, NULL, NULL, NULL);
    if (iconv(convert, &in, &inLeft, &to, &outLeft) == (size_t)-1)
        return -1;
    const size_t n = (size_t)(to - out) < width ? (size_t)(to - out) : width;
    memcpy(at, out, n);
    memset(at + n, 0, width - n);
    return 0;
}

int main(int argc, char** argv) {
    const struct Language* language = NULL;
    for (size_t k = 0; argc >= 2 && k < COUNT_OF(kLanguages); ++k) {
        if (strcmp(argv[1], kLanguages[k].name) == 0)
            language = &kLanguages[k];
    }
    if (language == NULL) {
        fprintf(stderr, "usage: %s russian|chinese FILE...\n", argv[0]);
        return 64;
    }
    iconv_t convert = iconv_open(language->codePage, "UTF-8");
    if (convert == (iconv_t)-1) {
        perror(language->codePage);
        return 1;
    }
    for (int i = 2; i < argc; ++i) {
        const long song = (i - 2) / 16;
        char title[128], year[8];
        snprintf(title, sizeof title, "%s %s", language->words1[song % 12],
                 language->words2[song / 12 % 12]);
        snprintf(year, sizeof year, "%d", 1960 + i % 60);
        unsigned char tag[128];
        memcpy(tag, "TAG", 3);
        if (Field(convert, tag + 3, title, 30) != 0 ||
            Field(convert, tag + 33, language->artists[i % 16], 30) != 0 ||
            Field(convert, tag + 63, language->albums[i % 6], 30) != 0 ||
            Field(convert, tag + 93, year, 4) != 0) {
            perror("iconv");
            return 1;
        }
        memset(tag + 97, 0, 30);
        tag[127] = (unsigned char)(i % 148);

        FILE* f = fopen(argv[i], "r+b");
        if (f == NULL || fseek(f, -128, SEEK_END) != 0 || fwrite(tag, 1, 128, f) != 128 ||
            fclose(f) != 0) {
            perror(argv[i]);
            return 1;
        }
    }
    iconv_close(convert);
    return 0;
}
