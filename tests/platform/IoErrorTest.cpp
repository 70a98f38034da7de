#include "platform/IoError.h"

#include <cerrno>
#include <gtest/gtest.h>

namespace {

using vantuke::ErrorBoxText;
using vantuke::IoError;

TEST(IoErrorTest, ErrnoGivesTheProgramsCodeAndText) {
    const struct {
        int err, code;
        const char* text;
    } cases[] = {
        {ENOENT, 2, "File not found"},
        {ENOTDIR, 2, "File not found"},
        {ENAMETOOLONG, 3, "Invalid filename"},
        {EILSEQ, 3, "Invalid filename"},
        {EMFILE, 4, "Too many open files"},
        {ENFILE, 4, "Too many open files"},
        {EACCES, 5, "File access denied"},
        {EPERM, 5, "File access denied"},
        {EROFS, 5, "File access denied"},
        {ETXTBSY, 5, "File access denied"},
        {EISDIR, 5, "File access denied"},
        {ENOSPC, IoError::kDiskFull, "Disk full"},
        {EDQUOT, IoError::kDiskFull, "Disk full"},
        {EINVAL, EINVAL, "I/O error 22"},
        {EFBIG, EFBIG, "I/O error 27"},
    };
    for (const auto& c : cases) {
        const IoError e = IoError::FromErrno(c.err);
        EXPECT_EQ(e.Code(), c.code) << c.err;
        EXPECT_EQ(e.Text(), QString::fromLatin1(c.text)) << c.err;
        EXPECT_STREQ(e.what(), c.text);
    }
    EXPECT_EQ(IoError::ReadBeyondEnd().Text(), "Read beyond end of file");
    EXPECT_EQ(IoError::DiskFull().Text(), "Disk full");
}

// The system's EIO is 5 like "File access denied": only the kind tells them apart.
TEST(IoErrorTest, KindsTellTheProgramsCodesFromSystemNumbers) {
    using Kind = IoError::Kind;
    const struct {
        IoError error;
        Kind kind;
    } cases[] = {
        {IoError::FromErrno(ENOENT), Kind::FileNotFound},
        {IoError::FromErrno(EILSEQ), Kind::InvalidFilename},
        {IoError::FromErrno(EMFILE), Kind::TooManyOpenFiles},
        {IoError::FromErrno(EACCES), Kind::AccessDenied},
        {IoError::FromErrno(ENOSPC), Kind::DiskFull},
        {IoError::ReadBeyondEnd(), Kind::ReadBeyondEnd},
        {IoError::FromErrno(EIO), Kind::System},
        {IoError::FromErrno(ESRCH), Kind::System},
        {IoError(IoError::kAccessDenied, "Unable to write to x"), Kind::AccessDenied},
        {IoError(EFBIG, "Unable to write to x"), Kind::System},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.error.ErrorKind(), c.kind) << c.error.what();
    EXPECT_EQ(IoError::FromErrno(EIO).Code(), 5);
    EXPECT_EQ(IoError::FromErrno(EIO).Text(), "I/O error 5");
    EXPECT_EQ(IoError::FromErrno(EACCES).Code(), IoError::kAccessDenied);
}

TEST(IoErrorTest, ErrorBoxAddsAFullStopOnlyAfterCharactersSortingAboveIt) {
    const struct {
        const char *message, *shown;
    } cases[] = {
        {"File not found", "File not found."},
        {"I/O error 22", "I/O error 22."},
        {"Ends.", "Ends."},
        {"Dash -", "Dash -"}, // '-' sorts before '.'
        {"Slash /", "Slash /."},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ErrorBoxText(c.message), QString::fromLatin1(c.shown)) << c.message;
    EXPECT_EQ(ErrorBoxText(QString::fromUtf8("Caf\u00e9")), QString::fromUtf8("Caf\u00e9."));
}

} // namespace
