// Where the program finds itself, the user's folders, and whether a folder takes new files.
#include "platform/Locations.h"
#include "platform/Directory.h"
#include "platform/IoError.h"

#include "support/TestFiles.h"

#include <QFileInfo>
#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using namespace vantuke;
using testsupport::TempDir;

namespace {

// Sets (or, with nullopt, removes) an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        Set(value);
    }
    ~ScopedEnv() { Set(old_); }

private:
    void Set(const std::optional<std::string>& value) {
        if (value)
            ::setenv(name_, value->c_str(), 1);
        else
            ::unsetenv(name_);
    }
    const char* name_;
    std::optional<std::string> old_;
};

mode_t ModeOf(const QString& path) {
    struct stat st {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0) << path.toStdString();
    return st.st_mode & 07777;
}

TEST(Locations, ProgramDirIsTheFolderOfTheRunningProgram) {
    const QString dir = ProgramDir();
    ASSERT_TRUE(dir.endsWith('/'));
    EXPECT_TRUE(QFileInfo(dir + "platform_tests").isExecutable()) << dir.toStdString();
}

TEST(Locations, UserFoldersFollowTheEnvironment) {
    struct Case {
        const char* what;
        std::optional<std::string> value; // of XDG_CONFIG_HOME and XDG_STATE_HOME
        QString config;
        QString state;
    };
    const Case cases[] = {
        {"unset", std::nullopt, "/home/ann/.config/", "/home/ann/.local/state/"},
        {"empty", "", "/home/ann/.config/", "/home/ann/.local/state/"},
        {"relative: ignored", "conf", "/home/ann/.config/", "/home/ann/.local/state/"},
        {"absolute", "/srv/x", "/srv/x/", "/srv/x/"},
        {"trailing slash kept once", "/srv/x/", "/srv/x/", "/srv/x/"},
        {"bytes that are not UTF-8", "/srv/\xE9t\xE9", u"/srv/\xDCE9t\xDCE9/"_qs,
         u"/srv/\xDCE9t\xDCE9/"_qs},
    };
    const ScopedEnv home("HOME", "/home/ann");
    for (const Case& c : cases) {
        const ScopedEnv config("XDG_CONFIG_HOME", c.value);
        const ScopedEnv state("XDG_STATE_HOME", c.value);
        EXPECT_EQ(ConfigHome(), c.config) << c.what;
        EXPECT_EQ(StateHome(), c.state) << c.what;
    }
}

TEST(Locations, HomeFallsBackToTheAccount) {
    const ScopedEnv config("XDG_CONFIG_HOME", std::nullopt);
    {
        const ScopedEnv home("HOME", "/home/ann/");
        EXPECT_EQ(HomeDir(), "/home/ann/");
    }
    for (const std::optional<std::string>& value :
         {std::optional<std::string>(), std::optional<std::string>("relative")}) {
        const ScopedEnv home("HOME", value);
        const QString dir = HomeDir();
        EXPECT_TRUE(dir.startsWith('/') && dir.endsWith('/')) << dir.toStdString();
        EXPECT_NE(dir, "relative/");
        EXPECT_EQ(ConfigHome(), dir + ".config/");
    }
}

TEST(Locations, WritableFolderIsOneThatTakesNewFiles) {
    TempDir dir;
    testsupport::WriteFile(dir.Path("file"), "x");
    ASSERT_EQ(::symlink("missing", QFile::encodeName(dir.Path("dangling")).constData()), 0);
    EXPECT_TRUE(IsWritableFolder(dir.Dir()));
    EXPECT_TRUE(IsWritableFolder(dir.Path()));
    EXPECT_FALSE(IsWritableFolder(dir.Path("file")));
    EXPECT_FALSE(IsWritableFolder(dir.Path("missing/")));
    EXPECT_FALSE(IsWritableFolder(QString()));
    EXPECT_FALSE(IsWritableFolder("/proc/self/"));

    EXPECT_TRUE(NameExists(dir.Path("file")));
    EXPECT_TRUE(NameExists(dir.Path("dangling")));
    EXPECT_FALSE(NameExists(dir.Path("missing")));
    EXPECT_FALSE(NameExists(QString()));

    const testsupport::ReadOnlyFolder readOnly({"Vantuke.Ini"});
    if (!readOnly.Ready())
        GTEST_SKIP() << readOnly.Why().toStdString();
    EXPECT_FALSE(IsWritableFolder(readOnly.Dir()));
    EXPECT_TRUE(NameExists(readOnly.Dir() + "Vantuke.Ini"));
}

TEST(Locations, MakeFoldersCreatesTheMissingOnesForTheUserAlone) {
    TempDir dir;
    const QString deep = dir.Dir() + "a/b/c/";
    MakeFolders(deep);
    EXPECT_TRUE(IsWritableFolder(deep));
    EXPECT_EQ(ModeOf(dir.Path("a")) & 0077, 0u); // umask may take more, never less
    EXPECT_EQ(ModeOf(deep) & 0077, 0u);
    MakeFolders(deep);                // present already: nothing to do
    MakeFolders(dir.Dir() + "a/b/d"); // without the trailing slash
    EXPECT_TRUE(IsWritableFolder(dir.Dir() + "a/b/d/"));

    // A file in the way, inside the path or at its end.
    testsupport::WriteFile(dir.Path("plain"), "x");
    EXPECT_EQ(testsupport::ErrorCodeOf([&] { MakeFolders(dir.Dir() + "plain/x/"); }), 2);
    EXPECT_EQ(testsupport::ErrorCodeOf([&] { MakeFolders(dir.Dir() + "plain/"); }), 2);
    try {
        MakeFolders(dir.Dir() + "plain/x/");
    } catch (const IoError& e) {
        EXPECT_EQ(e.Path(), dir.Dir() + "plain/x/");
    }

    const testsupport::ReadOnlyFolder readOnly;
    if (!readOnly.Ready())
        GTEST_SKIP() << readOnly.Why().toStdString();
    EXPECT_EQ(testsupport::ErrorCodeOf([&] { MakeFolders(readOnly.Dir() + "Vantuke/"); }), 5);
}

} // namespace
