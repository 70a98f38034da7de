#include "settings/IniFile.h"

#include "platform/IoError.h"

#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <ostream>
#include <sys/stat.h>
#include <unistd.h>

using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;
using vantuke::IniFile;
using vantuke::IoError;

namespace {

struct ReadCase {
    const char* name;
    QByteArray file;
    const char* section;
    const char* key;
    QString expected;
};

void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << c.name;
}

class IniReadTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(IniReadTest, ReadsValueByProfileRules) {
    const ReadCase& c = GetParam();
    const IniFile ini = IniFile::Parse(c.file);
    EXPECT_EQ(ini.ReadString(c.section, c.key, QStringLiteral("<def>")), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, IniReadTest,
    ::testing::Values(
        ReadCase{"NamesIgnoreCase", "[ProgramOptions]\nLastDir=/m/\n", "PROGRAMOPTIONS", "lastdir",
                 "/m/"},
        ReadCase{"ValueAfterFirstEquals", "[s]\nk=a=b\n", "s", "k", "a=b"},
        ReadCase{"BlanksTrimmed", "[s]\n  k \t=  x y \t\n", "s", "k", "x y"},
        ReadCase{"DoubleQuotesRemoved", "[s]\nk=\"  a \"\n", "s", "k", "  a "},
        ReadCase{"SingleQuotesRemoved", "[s]\nk='b'\n", "s", "k", "b"},
        ReadCase{"OnlyOnePairRemoved", "[s]\nk=\"\"x\"\"\n", "s", "k", "\"x\""},
        ReadCase{"MismatchedQuotesKept", "[s]\nk=\"x'\n", "s", "k", "\"x'"},
        ReadCase{"LoneQuoteKept", "[s]\nk=\"\n", "s", "k", "\""},
        ReadCase{"EmptyQuotesGiveEmpty", "[s]\nk=\"\"\n", "s", "k", ""},
        ReadCase{"EmptyValueIsNotMissing", "[s]\nk=\n", "s", "k", ""},
        ReadCase{"MissingKey", "[s]\nother=1\n", "s", "k", "<def>"},
        ReadCase{"MissingSection", "[t]\nk=1\n", "s", "k", "<def>"},
        ReadCase{"KeyOfAnotherSection", "[s]\n[t]\nk=1\n", "s", "k", "<def>"},
        ReadCase{"CrLfLines", "[s]\r\nk=v \r\nz=1\r\n", "s", "k", "v"},
        ReadCase{"NoFinalLineEnd", "[s]\nk=last", "s", "k", "last"},
        ReadCase{"BomBeforeFirstSection", "\xEF\xBB\xBF[s]\nk=1\n", "s", "k", "1"},
        ReadCase{"CommentIsNoKey", "[s]\n;k=1\n", "s", "k", "<def>"},
        ReadCase{"IndentedSection", "  [s]  \nk=1\n", "s", "k", "1"},
        ReadCase{"FirstDuplicateWins", "[s]\nk=first\nk=second\n", "s", "k", "first"},
        ReadCase{"RepeatedSectionSearched", "[s]\na=1\n[t]\n[s]\nk=2\n", "s", "k", "2"},
        ReadCase{"Utf8Text", "[s]\nk=Bj\xC3\xB6rk\n", "s", "k", QStringLiteral("Bj\u00F6rk")}),
    [](const auto& info) { return info.param.name; });

TEST(IniRead, LongValueCutTo2047Characters) {
    const QByteArray value(3000, 'x');
    const IniFile ini = IniFile::Parse("[s]\nk=" + value + "\n");
    EXPECT_EQ(ini.ReadString("s", "k", {}), QString(2047, u'x'));
}

struct IntegerCase {
    const char* text;
    int expected; // with the default 77
};

void PrintTo(const IntegerCase& c, std::ostream* os) {
    *os << c.text;
}

class IniIntegerTest : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(IniIntegerTest, ParsesDecimalAndHexOnly) {
    const IniFile ini = IniFile::Parse(QByteArray("[s]\nk=") + GetParam().text + "\n");
    EXPECT_EQ(ini.ReadInteger("s", "k", 77), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Values, IniIntegerTest,
                         ::testing::Values(IntegerCase{"12", 12}, IntegerCase{"-7", -7},
                                           IntegerCase{" 42 ", 42}, IntegerCase{"\"5\"", 5},
                                           IntegerCase{"0x1F", 31}, IntegerCase{"0X1f", 31},
                                           IntegerCase{"$10", 16}, IntegerCase{"0x2", 2},
                                           IntegerCase{"2147483647", 2147483647},
                                           IntegerCase{"-2147483648", -2147483647 - 1},
                                           IntegerCase{"2147483648", 77}, IntegerCase{"0x", 77},
                                           IntegerCase{"$", 77}, IntegerCase{"$-1", 77},
                                           IntegerCase{"0x-5", 77}, IntegerCase{"$0x10", 77},
                                           IntegerCase{"0xFFFFFFFF", 77}, IntegerCase{"12abc", 77},
                                           IntegerCase{"1.5", 77}, IntegerCase{"1 2", 77},
                                           IntegerCase{"", 77}, IntegerCase{"yes", 77}));

TEST(IniRead, BooleansAreIntegers) {
    const IniFile ini = IniFile::Parse("[s]\nzero=0\ntwo=2\nneg=-1\nword=yes\n");
    EXPECT_FALSE(ini.ReadBool("s", "zero", true));
    EXPECT_TRUE(ini.ReadBool("s", "two", false));
    EXPECT_TRUE(ini.ReadBool("s", "neg", false));
    EXPECT_TRUE(ini.ReadBool("s", "word", true));
    EXPECT_FALSE(ini.ReadBool("s", "word", false));
    EXPECT_TRUE(ini.ReadBool("s", "missing", true));
}

struct WriteCase {
    const char* name;
    QByteArray before;
    const char* section;
    const char* key;
    const char* value;
    QByteArray after;
};

void PrintTo(const WriteCase& c, std::ostream* os) {
    *os << c.name;
}

class IniWriteTest : public ::testing::TestWithParam<WriteCase> {};

TEST_P(IniWriteTest, ChangesOnlyWhatIsWritten) {
    const WriteCase& c = GetParam();
    IniFile ini = IniFile::Parse(c.before);
    ini.WriteString(c.section, c.key, c.value);
    EXPECT_EQ(ini.Serialize(), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Layout, IniWriteTest,
    ::testing::Values(
        WriteCase{"NewFile", "", "S", "k", "v", "[S]\nk=v\n"},
        WriteCase{"ReplaceInPlaceKeepsEverythingElse",
                  "; mine\n[Other]\nx = 1 \n\n[S]\nKey = old\n  ; note\nz=2\n", "s", "KEY", "new",
                  "; mine\n[Other]\nx = 1 \n\n[S]\nKey =new\n  ; note\nz=2\n"},
        WriteCase{"NewKeyAfterLastKeyBeforeBlankLines", "[S]\na=1\n; c\n\n[T]\nb=2\n", "S", "n",
                  "3", "[S]\na=1\nn=3\n; c\n\n[T]\nb=2\n"},
        WriteCase{"NewKeyInSectionWithoutKeys", "[S]\n\n[T]\n", "S", "n", "3", "[S]\nn=3\n\n[T]\n"},
        WriteCase{"NewSectionAtEnd", "[S]\na=1\n", "T", "b", "2", "[S]\na=1\n\n[T]\nb=2\n"},
        WriteCase{"NewSectionAfterLastLineWithoutEnd", "[S]\na=1", "T", "b", "2",
                  "[S]\na=1\n\n[T]\nb=2\n"},
        WriteCase{"NewKeyAfterLastLineWithoutEnd", "[S]\na=1", "S", "b", "2", "[S]\na=1\nb=2\n"},
        WriteCase{"CrLfFileGetsCrLfLines", "[S]\r\na=1\r\n", "S", "b", "2",
                  "[S]\r\na=1\r\nb=2\r\n"},
        WriteCase{"ReplaceKeepsCrLf", "[S]\r\na=1\r\n", "S", "a", "22", "[S]\r\na=22\r\n"},
        WriteCase{"LineBreakCannotStartAKey", "[S]\na=1\n", "S", "a", "x\r\n[T]\nevil=1",
                  "[S]\na=x  [T] evil=1\n"}),
    [](const auto& info) { return info.param.name; });

TEST(IniWrite, WrittenValuesReadBackByTheReadingRules) {
    IniFile ini;
    ini.WriteString("S", "blanks", "  a b  ");
    ini.WriteString("S", "quoted", vantuke::QuoteValue(" cell "));
    ini.WriteString("S", "quote", vantuke::QuoteValue("\""));
    ini.WriteInteger("S", "int", -15);
    ini.WriteBool("S", "bool", true);
    ini.WriteString("S", "blanks", "again");
    const IniFile reread = IniFile::Parse(ini.Serialize());
    EXPECT_EQ(reread.ReadString("S", "blanks", {}), "again");
    EXPECT_EQ(reread.ReadString("S", "quoted", {}), " cell ");
    EXPECT_EQ(reread.ReadString("S", "quote", {}), "\"");
    EXPECT_EQ(reread.ReadInteger("S", "int", 0), -15);
    EXPECT_TRUE(reread.ReadBool("S", "bool", false));
    EXPECT_EQ(ini.Serialize().count("blanks="), 1);
}

QStringList FolderContents(const TempDir& dir) {
    return QDir(dir.Path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

TEST(IniSave, CreatesAndReplacesTheFileLeavingNoTemporaryFile) {
    TempDir dir;
    const QString path = dir.Path("Vantuke.Ini");
    IniFile ini;
    ini.WriteString("S", "k", "1");
    ini.Save(path);
    EXPECT_EQ(ReadFile(path), "[S]\nk=1\n");

    IniFile loaded = IniFile::Load(path);
    loaded.WriteString("S", "k", "2");
    loaded.Save(path);
    EXPECT_EQ(ReadFile(path), "[S]\nk=2\n");
    EXPECT_EQ(FolderContents(dir), QStringList{"Vantuke.Ini"});
}

TEST(IniSave, KeepsPermissionsAndLinks) {
    TempDir dir;
    const QString real = dir.Path("real.ini");
    WriteFile(real, "[S]\nk=1\n");
    ASSERT_EQ(::chmod(QFile::encodeName(real).constData(), 0640), 0);
    const QString link = dir.Path("Vantuke.Ini");
    ASSERT_TRUE(QFile::link(real, link));

    IniFile ini = IniFile::Load(link);
    ini.WriteString("S", "k", "2");
    ini.Save(link);

    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(ReadFile(real), "[S]\nk=2\n");
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(real).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

TEST(IniWrite, KeysStayFoundWhateverTheOrderOfWriting) {
    // Keys appended at the end and keys inserted before later sections, mixed.
    IniFile ini;
    for (int round = 0; round < 3; ++round) {
        for (const char* section : {"A", "B", "C"}) {
            for (int n = 0; n < 4; ++n) {
                const QString key = QStringLiteral("k%1_%2").arg(round).arg(n);
                ini.WriteString(section, key, QString::fromLatin1(section) + key);
                ini.WriteString("A", "shared", key); // an existing key of the first section
            }
        }
    }
    const IniFile reread = IniFile::Parse(ini.Serialize());
    for (const IniFile* file : {static_cast<const IniFile*>(&ini), &reread}) {
        for (int round = 0; round < 3; ++round) {
            for (const char* section : {"A", "B", "C"}) {
                for (int n = 0; n < 4; ++n) {
                    const QString key = QStringLiteral("k%1_%2").arg(round).arg(n);
                    EXPECT_EQ(file->ReadString(section, key, "<missing>"),
                              QString::fromLatin1(section) + key);
                }
            }
        }
        EXPECT_EQ(file->ReadString("a", "SHARED", {}), "k2_3");
        EXPECT_EQ(file->Entries("b").size(), 12);
    }
    EXPECT_EQ(ini.Serialize().count("[A]"), 1);
    EXPECT_EQ(ini.Serialize().count("shared="), 1);
}

TEST(IniRead, EntriesListEachKeyOnceInFileOrderAcrossRepeatedSections) {
    const IniFile ini = IniFile::Parse("[Playlist]\nFile2= \"b\" \nfile1=a\n[other]\nFile3=c\n"
                                       "[PLAYLIST]\nFILE2=x\nTitle1=t\n");
    using Entries = QList<std::pair<QString, QString>>;
    EXPECT_EQ(ini.Entries("playlist"), (Entries{{"file2", "b"}, {"file1", "a"}, {"title1", "t"}}));
    EXPECT_EQ(ini.Entries(" Other "), (Entries{{"file3", "c"}}));
    EXPECT_TRUE(ini.Entries("none").isEmpty());
}

TEST(IniRead, BytesThatAreNotUtf8ComeBackExactly) {
    // A folder copied from Windows, saved as LastDir: its name is not UTF-8.
    const QByteArray file = "[ProgramOptions]\nLastDir=/music/Caf\xE9/\n";
    IniFile ini = IniFile::Parse(file);
    const QString lastDir = ini.ReadString("ProgramOptions", "LastDir", {});
    EXPECT_EQ(lastDir, QStringLiteral("/music/Caf") + QChar(0xDCE9) + u'/');
    ini.WriteString("ProgramOptions", "LastDir", lastDir);
    ini.WriteString("DirPresets", "Preset1", lastDir);
    EXPECT_EQ(ini.Serialize(), file + "\n[DirPresets]\nPreset1=/music/Caf\xE9/\n");
}

// A save that cannot be done reports "Unable to write to" with the path and leaves the old
// file (if any) exactly as it was.
void ExpectSaveFails(const QString& path, int code) {
    IniFile ini;
    ini.WriteString("S", "k", "new");
    try {
        ini.Save(path);
        FAIL() << "saved to " << path.toStdString();
    } catch (const IoError& e) {
        EXPECT_EQ(e.Text(), "Unable to write to " + path);
        EXPECT_EQ(e.Code(), code);
    }
}

TEST(IniSave, FailsWhenTheFolderIsMissingOrAFile) {
    TempDir dir;
    ExpectSaveFails(dir.Path("missing/Vantuke.Ini"), 2);
    WriteFile(dir.Path("plain"), "x");
    ExpectSaveFails(dir.Path("plain/Vantuke.Ini"), 2);
    EXPECT_EQ(FolderContents(dir), QStringList{"plain"});
}

TEST(IniSave, RefusesAReadOnlyFileEvenForRoot) {
    TempDir dir;
    const QString path = dir.Path("Vantuke.Ini");
    WriteFile(path, "[S]\nk=old\n");
    testsupport::MakeReadOnly(path);
    ExpectSaveFails(path, 5);
    EXPECT_EQ(ReadFile(path), "[S]\nk=old\n");
    EXPECT_EQ(FolderContents(dir), QStringList{"Vantuke.Ini"});
}

TEST(IniSave, ReadOnlyFolderEitherRefusesOrWritesWholly) {
    TempDir dir;
    const QString folder = dir.Path("locked");
    ASSERT_TRUE(QDir().mkdir(folder));
    const QString path = folder + "/Vantuke.Ini";
    WriteFile(path, "[S]\nk=old\n");
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0555), 0);
    IniFile ini = IniFile::Load(path);
    ini.WriteString("S", "k", "new");
    bool refused = false;
    try {
        ini.Save(path);
    } catch (const IoError& e) {
        refused = true;
        EXPECT_EQ(e.Text(), "Unable to write to " + path);
    }
    ::chmod(QFile::encodeName(folder).constData(), 0755);
    // The kernel lets root write into the folder anyway; anyone else must be refused.
    if (::geteuid() != 0) {
        EXPECT_TRUE(refused);
    }
    EXPECT_EQ(ReadFile(path), refused ? QByteArray("[S]\nk=old\n") : QByteArray("[S]\nk=new\n"));
}

} // namespace
