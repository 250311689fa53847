#include "media/opener.h"

#include "opener_support.h"

#include <QFile>
#include <QTemporaryDir>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using MWMediaOpener::open;
using support::failure;

namespace {
// Writes a copy of a fixture under a path given as raw bytes, which need not
// be UTF-8; returns the path as the rest of the program sees it (open panels,
// drops and the command line all decode names the same way).
QString rawCopy(const QByteArray& rawPath, const QString& fixture)
{
    QFile source(testutil::fixture(fixture));
    EXPECT_TRUE(source.open(QIODevice::ReadOnly));
    const QByteArray bytes = source.readAll();
    const int fd = ::open(rawPath.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    EXPECT_GE(fd, 0) << rawPath.toStdString();
    EXPECT_EQ(::write(fd, bytes.constData(), size_t(bytes.size())), bytes.size());
    ::close(fd);
    return QFile::decodeName(rawPath);
}
}  // namespace

// A name that is not UTF-8 (old Windows shares, archives) cannot be held in
// the program's text, so the file cannot be found under the name it shows.
// The message says so and what to do, rather than blaming the permissions.
TEST(Open, NamesThatAreNotUtf8)
{
    QTemporaryDir dir;
    const QByteArray root = QFile::encodeName(dir.path());
    // QTemporaryDir cannot remove names it cannot hold; these go by their bytes.
    struct Cleanup {
        std::string root;
        ~Cleanup() { std::filesystem::remove_all(root); }
    } cleanup{root.toStdString()};
    ASSERT_EQ(::mkdir((root + "/old\xfe share").constData(), 0755), 0);
    const QString badFile = rawCopy(root + "/clip\xff.mp4", "h264_aac.mp4");
    const QString badFolder = rawCopy(root + "/old\xfe share/a.mp4", "h264_aac.mp4");

    EXPECT_EQ(failure(open(badFile, true, {})),
              QString::fromUtf8("“clip\uFFFD.mp4” can't be opened because its name isn't valid "
                                "UTF-8 text (it may come from an old Windows share or an "
                                "archive). Rename the file, then import it again."));
    EXPECT_EQ(failure(open(badFolder, true, {})),
              QString::fromUtf8(
                  "“a.mp4” can't be opened because the name of the folder "
                  "“old\uFFFD share” that holds it isn't valid UTF-8 text (it may come from an "
                  "old Windows share or an archive). Rename the folder, then "
                  "import the file again."));
    // A replacement character alone proves nothing: a missing file is missing.
    EXPECT_EQ(failure(open(dir.filePath(QString::fromUtf8("gone\uFFFD.mp4")), true, {})),
              support::cantRead(QString::fromUtf8("gone\uFFFD.mp4")));
    // A name that really holds the replacement character opens like any other.
    const QString real = rawCopy(root + "/real\xef\xbf\xbd.mp4", "h264_aac.mp4");
    EXPECT_EQ(failure(open(real, true, {})), QString());
}
