#include "tag/Genres.h"

#include "platform/AsciiCase.h"

#include <QHash>

namespace vantuke {

// The names, spellings included, are those that stored tags and users know by number.
const std::array<const char*, kGenreCount> GenreTable{
    "Blues",
    "Classic Rock",
    "Country",
    "Dance",
    "Disco",
    "Funk",
    "Grunge",
    "Hip-Hop",
    "Jazz",
    "Metal",
    "New Age",
    "Oldies",
    "Other",
    "Pop",
    "R&B",
    "Rap",
    "Reggae",
    "Rock",
    "Techno",
    "Industrial",
    "Alternative",
    "Ska",
    "Death Metal",
    "Pranks",
    "Soundtrack",
    "Euro-Techno",
    "Ambient",
    "Trip-Hop",
    "Vocal",
    "Jazz+Funk",
    "Fusion",
    "Trance",
    "Classical",
    "Instrumental",
    "Acid",
    "House",
    "Game",
    "Sound Clip",
    "Gospel",
    "Noise",
    "Alternative Rock",
    "Bass",
    "Soul",
    "Punk",
    "Space",
    "Meditative",
    "Instrumental Pop",
    "Instrumental Rock",
    "Ethnic",
    "Gothic",
    "Darkwave",
    "Techno-Industrial",
    "Electronic",
    "Pop-Folk",
    "Eurodance",
    "Dream",
    "Southern Rock",
    "Comedy",
    "Cult",
    "Gangsta",
    "Top 40",
    "Christian Rap",
    "Pop/Funk",
    "Jungle",
    "Native American",
    "Cabaret",
    "New Wave",
    "Psychadelic",
    "Rave",
    "Showtunes",
    "Trailer",
    "Lo-Fi",
    "Tribal",
    "Acid Punk",
    "Acid Jazz",
    "Polka",
    "Retro",
    "Musical",
    "Rock & Roll",
    "Hard Rock",
    "Folk",
    "Folk/Rock",
    "National Folk",
    "Swing",
    "Fast-Fusion",
    "Bebob",
    "Latin",
    "Revival",
    "Celtic",
    "Bluegrass",
    "Avantgarde",
    "Gothic Rock",
    "Progressive Rock",
    "Psychedelic Rock",
    "Symphonic Rock",
    "Slow Rock",
    "Big Band",
    "Chorus",
    "Easy Listening",
    "Acoustic",
    "Humour",
    "Speech",
    "Chanson",
    "Opera",
    "Chamber Music",
    "Sonata",
    "Symphony",
    "Booty Bass",
    "Primus",
    "Porn Groove",
    "Satire",
    "Slow Jam",
    "Club",
    "Tango",
    "Samba",
    "Folklore",
    "Ballad",
    "Power Ballad",
    "Rhytmic Soul",
    "Freestyle",
    "Duet",
    "Punk Rock",
    "Drum Solo",
    "Acapella",
    "Euro-House",
    "Dance Hall",
    "Goa",
    "Drum & Bass",
    "Club-House",
    "Hardcore",
    "Terror",
    "Indie",
    "BritPop",
    "Negerpunk",
    "Polsk Punk",
    "Beat",
    "Christian Gangsta Rap",
    "Heavy Metal",
    "Black Metal",
    "Crossover",
    "Contemporary Christian",
    "Christian Rock",
    "Merengue",
    "Salsa",
    "Trash Metal",
    "Anime",
    "JPop",
    "SynthPop",
};

QString GenreName(int index) {
    if (index < 0 || index >= kGenreCount)
        return QString();
    return QString::fromLatin1(GenreTable[std::size_t(index)]);
}

QString GenreDisplayName(int index) {
    if (index < 0 || index >= kGenreCount)
        return QStringLiteral("unknown style");
    return GenreName(index);
}

namespace {

struct GenreSpelling {
    const char* name;
    int index;
};

// How other tag tools and players spell genres of the table. Spellings that differ from a
// table name only in letter case, spaces or punctuation ("Hip Hop", "Folk-Rock", "Synthpop",
// "Drum and Bass") need no entry: names are compared by their letters and digits alone.
constexpr GenreSpelling kGenreSpellings[] = {
    {"Rhythm and Blues", 14},
    {"RnB", 14},
    {"AlternRock", 40},
    {"Alt. Rock", 40},
    {"Gangsta Rap", 59},
    {"Native US", 64},
    {"Psychedelic", 67},
    {"Rock 'n' Roll", 78},
    {"Bebop", 85},
    {"Psychadelic Rock", 93},
    {"Humor", 100},
    {"Rhythmic Soul", 118},
    {"A Cappella", 123},
    {"Drum 'n' Bass", 127},
    {"Hardcore Techno", 129},
    {"Worldbeat", 133},
    {"Thrash Metal", 144},
};

// A genre name reduced to what tells genres apart: its letters (a to z folded to lower case)
// and digits, with "&" read as "and"; spaces and punctuation drop out.
QString GenreKey(QStringView name) {
    QString key;
    key.reserve(name.size());
    for (const QChar c : name) {
        const char16_t u = c.unicode();
        if (u == u'&')
            key += u"and";
        else if (u >= u'A' && u <= u'Z')
            key += QChar(char16_t(u - u'A' + u'a'));
        else if (c.isLetterOrNumber())
            key += c;
    }
    return key;
}

const QHash<QString, int>& GenresByKey() {
    static const QHash<QString, int> byKey = [] {
        QHash<QString, int> keys;
        for (int index = 0; index < kGenreCount; ++index)
            keys.insert(GenreKey(QString::fromLatin1(GenreTable[std::size_t(index)])), index);
        for (const GenreSpelling& spelling : kGenreSpellings)
            keys.insert(GenreKey(QString::fromLatin1(spelling.name)), spelling.index);
        return keys;
    }();
    return byKey;
}

} // namespace

std::optional<int> GenreFromName(QStringView name) {
    const QHash<QString, int>& byKey = GenresByKey();
    const auto found = byKey.constFind(GenreKey(name));
    if (found == byKey.cend())
        return std::nullopt;
    return found.value();
}

std::optional<int> GenreFromText(const QString& text) {
    bool isNumber = false;
    const int number = text.toInt(&isNumber);
    if (isNumber)
        return number >= 0 && number < kGenreCount ? std::optional<int>(number) : std::nullopt;
    for (int index = 0; index < kGenreCount; ++index) {
        if (EqualIgnoringAsciiCase(text, QLatin1String(GenreTable[index])))
            return index;
    }
    return std::nullopt;
}

} // namespace vantuke
