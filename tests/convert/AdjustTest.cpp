#include "convert/Adjust.h"

#include <gtest/gtest.h>

namespace vantuke {
namespace {

struct AdjustCase {
    const char* path;
    QList<Substitution> rows;
    int extensionFormat;
    const char* expected;
};

class AdjustedPathTest : public testing::TestWithParam<AdjustCase> {};

TEST_P(AdjustedPathTest, RenamesByTheRows) {
    const AdjustCase& c = GetParam();
    EXPECT_EQ(AdjustedPath(QString::fromUtf8(c.path), c.rows, c.extensionFormat),
              QString::fromUtf8(c.expected));
}

Substitution Row(const char* what, const char* with) {
    return {QString::fromUtf8(what), QString::fromUtf8(with)};
}

INSTANTIATE_TEST_SUITE_P(
    Rows, AdjustedPathTest,
    testing::Values(AdjustCase{"/m/my_song_01.mp3", {Row("_", " ")}, 1, "/m/my song 01.mp3"},
                    AdjustCase{"/m/a live b.mp3", {Row("live ", "")}, 1, "/m/a b.mp3"},
                    AdjustCase{"/m/a__b.mp3", {Row("_", " "), Row("  ", " ")}, 1, "/m/a b.mp3"},
                    AdjustCase{"/m/a_b__c.mp3", {Row("_", "-"), Row("--", "-")}, 1, "/m/a-b-c.mp3"},
                    // Rows run in order: a later row can undo an earlier one.
                    AdjustCase{"/m/a_b.mp3", {Row("_", "+"), Row("+", "_")}, 1, "/m/a_b.mp3"},
                    AdjustCase{"/m/a   b.mp3", {Row("  ", " ")}, 1, "/m/a b.mp3"},
                    // Nothing a row brings in can move the file to another folder.
                    AdjustCase{"/m/a-b.mp3", {Row("-", "/")}, 1, "/m/a b.mp3"},
                    AdjustCase{"/m/a-b.mp3", {Row("-", "/../")}, 1, "/m/a .. b.mp3"},
                    AdjustCase{"/m/ab.mp3", {Row("b", ":")}, 1, "/m/a .mp3"},
                    AdjustCase{"/m/song.mp3", {Row("", "")}, 2, "/m/song.MP3"},
                    AdjustCase{"/m/song.mp3", {}, 0, "/m/song.Mp3"},
                    AdjustCase{"/m/clip.wav", {Row("", "")}, 1, "/m/clip.wav.mp3"},
                    AdjustCase{"/m/ab.mp3", {Row("", "x")}, 1, "/m/xaxbx.mp3"},
                    AdjustCase{"/m/Aa.mp3", {Row("a", "z")}, 1, "/m/Az.mp3"},
                    // The folder and the extension are not part of the substituted text.
                    AdjustCase{"/mp3_dir/x_mp3.mp3", {Row("mp3", "MP")}, 1, "/mp3_dir/x_MP.mp3"},
                    AdjustCase{"/m/song.mp3", {Row("song", "")}, 1, "/m/.mp3"},
                    AdjustCase{"song.mp3", {Row("o", "0")}, 1, "s0ng.mp3"}));

} // namespace
} // namespace vantuke
