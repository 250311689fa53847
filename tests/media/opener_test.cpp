#include "media/opener.h"

#include "opener_support.h"
#include "platform/asset.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace MWMediaOpener;
using support::await;
using support::failure;

namespace {

const QString missing = "The built-in converter is missing from this copy of the app.";

// A fixture copied under a name of its own, so that its cached copy is too.
QString copyOf(const QTemporaryDir& dir, const QString& fixture, const QString& name)
{
    const QString path = dir.filePath(name);
    QFile::copy(testutil::fixture(fixture), path);
    return path;
}

// A stand-in converter that counts the conversions it starts (their first
// attempts) and fails each attempt.
QString countingFailure(const QTemporaryDir& dir)
{
    QByteArray body = R"(
case "$*" in *h264_videotoolbox*) echo run >>'COUNT' ;; esac
echo "Invalid data found when processing input" >&2
exit 1
)";
    return support::script(dir, "ffmpeg", body.replace("COUNT", dir.filePath("count").toUtf8()));
}

int conversions(const QTemporaryDir& dir)
{
    QFile f(dir.filePath("count"));
    return f.open(QIODevice::ReadOnly) ? int(f.readAll().count('\n')) : 0;
}

}  // namespace

TEST(CacheName, HashAndKeyText)
{
    EXPECT_EQ(fnv1a64(""), 0xcbf29ce484222325ULL);
    EXPECT_EQ(fnv1a64("a"), 0xaf63dc4c8601ec8cULL);
    EXPECT_EQ(fnv1a64("foobar"), 0x85944171f73967e8ULL);

    const std::pair<double, const char*> decimals[] = {
        {0, "0.0"},
        {1600000000, "1600000000.0"},
        {1600000000.25, "1600000000.25"},
        {0.1, "0.1"},
        {1e21, "1000000000000000000000.0"},
        {1712345678.123456789, "1712345678.1234567"}};
    for (const auto& [value, text] : decimals) {
        EXPECT_EQ(shortestDecimal(value), text);
        EXPECT_EQ(shortestDecimal(value).toDouble(), value);  // the shortest that reads back
    }

    QTemporaryDir dir;
    const QString path = dir.filePath("clip.final.ts");
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write("12345");
    f.flush();
    f.setFileTime(QDateTime::fromMSecsSinceEpoch(1600000000250), QFile::FileModificationTime);
    f.close();
    const QString key = path + "|5|1600000000.25";
    EXPECT_EQ(cacheKey(path), key);
    EXPECT_EQ(cacheName(path), "clip.final-" + QString::number(fnv1a64(key.toUtf8()), 16) + ".mov");
    // A file that cannot be read about counts as empty and undated.
    EXPECT_EQ(cacheKey(dir.filePath("gone.ts")), dir.filePath("gone.ts") + "|0|0.0");
}

// The copy's name keeps forty user-perceived characters of the original's,
// which can be far more than 255 bytes (names copied from a Mac hold Korean
// as separate jamo, 9 bytes a syllable): it is cut between whole characters
// so that it fits with the hash and ".mov".
TEST(CacheName, FortyCharactersWithinTheByteLimit)
{
    QTemporaryDir dir;
    const QString syllable = QString::fromUtf8("\u1100\u1161\u11A8");
    const QString family = QString::fromUtf8("👨‍👩‍👧‍👦");
    const struct {
        QString stem;
        QString expectedStart;
    } cases[] = {
        {syllable.repeated(28), syllable.repeated(26) + "-"},  // a 255-byte file name
        {family.repeated(10), family.repeated(9) + "-"},
        {QString(40, u'x'), QString(40, u'x') + "-"},
        {QString(45, u'x'), QString(40, u'x') + "-"},
        {QString("e\u0301").repeated(45),
         QString("e\u0301").repeated(40) + "-"},  // é as two code points
    };
    for (const auto& c : cases) {
        const QString name = cacheName(dir.filePath(c.stem + ".ts"));
        EXPECT_LE(QFile::encodeName(name).size(), 255) << name.toStdString();
        EXPECT_TRUE(name.startsWith(c.expectedStart)) << name.toStdString();
    }
    EXPECT_TRUE(cacheName(dir.filePath(".hidden")).startsWith(".hidden-"));
}

TEST(CacheFolder, MadeOnEveryRead)
{
    const QString folder = cacheFolder();
    EXPECT_EQ(folder, QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                          "/Marrowick/Cutwright/Converted");
    QDir(folder).removeRecursively();
    EXPECT_TRUE(QFileInfo(cacheFolder()).isDir());
}

TEST(Inspected, MarkersAndDefaults)
{
    auto asset = std::make_shared<MWAsset>();
    asset->path = "/c/x.mov";
    asset->readable = true;
    asset->playable = true;
    asset->duration = 2;
    asset->videoTracks = 1;
    asset->naturalSize = QSizeF(320, 240);
    auto message = [&](bool wantVideo) {
        try {
            inspected(asset, "/u/x.ts", true, std::nullopt, wantVideo);
        } catch (const MWError& e) {
            return e.message;
        }
        return QString();
    };

    const MWOpenedMedia media = inspected(asset, "/u/x.ts", true, "note", true);
    EXPECT_EQ(media.original, "/u/x.ts");
    EXPECT_EQ(media.playable, "/c/x.mov");
    EXPECT_EQ(media.nominalFrameRate, 30);  // none recorded
    EXPECT_TRUE(media.converted);
    EXPECT_EQ(media.note, "note");
    EXPECT_FALSE(media.hasAudio);

    asset->playable = false;
    EXPECT_EQ(message(true), "not readable");
    asset->playable = true;
    asset->naturalSize = QSizeF(1, 240);
    EXPECT_EQ(message(true), "bad video size");
    asset->naturalSize = QSizeF(320, 240);
    for (const double bad : {0.0, -1.0, double(NAN), double(INFINITY)}) {
        asset->duration = bad;
        EXPECT_EQ(message(true), "not readable");
    }
    asset->duration = 2;
    asset->readable = false;
    EXPECT_EQ(message(true), "not readable");
    asset->readable = true;
    asset->videoTracks = 0;
    EXPECT_EQ(message(false), "not readable");  // neither picture nor sound
}

TEST(Open, DirectFilesNeedNoStatus)
{
    support::StatusLog log;
    const auto media = await(open(testutil::fixture("h264_aac.mp4"), true, log.callback()));
    EXPECT_FALSE(media.converted);
    EXPECT_FALSE(media.note);
    EXPECT_EQ(media.playable, testutil::fixture("h264_aac.mp4"));
    EXPECT_EQ(media.original, media.playable);
    EXPECT_EQ(media.naturalSize, QSizeF(320, 240));
    EXPECT_FLOAT_EQ(media.nominalFrameRate, 25);
    EXPECT_NEAR(media.duration, 4, 0.05);
    EXPECT_TRUE(media.hasVideo && media.hasAudio);
    ASSERT_TRUE(media.asset);

    // Stored 320 × 240, shown upright as 240 × 320.
    const auto rotated = await(open(testutil::fixture("rotated.mp4"), true, log.callback()));
    EXPECT_EQ(rotated.naturalSize, QSizeF(240, 320));
    EXPECT_FALSE(rotated.preferredTransform.isIdentity());

    EXPECT_FALSE(await(open(testutil::fixture("video_only.mp4"), true, {})).hasAudio);
    EXPECT_TRUE(log.calls->empty());
}

TEST(Open, AudioFiles)
{
    for (const char* name : {"audio.mp3", "audio.m4a"}) {
        SCOPED_TRACE(name);
        support::StatusLog log;
        EXPECT_EQ(failure(open(testutil::fixture(name), true, log.callback())),
                  QString("“%1” has no picture — it's an audio file. This app needs a video "
                          "file.")
                      .arg(name));
        EXPECT_TRUE(log.calls->empty());

        const auto media = await(open(testutil::fixture(name), false, {}));
        EXPECT_FALSE(media.hasVideo);
        EXPECT_TRUE(media.hasAudio);
        EXPECT_EQ(media.naturalSize, QSizeF(0, 0));
        EXPECT_TRUE(media.preferredTransform.isIdentity());
        EXPECT_EQ(media.nominalFrameRate, 30);
        EXPECT_FALSE(media.converted);
    }
    EXPECT_FALSE(
        QFileInfo::exists(cacheFolder() + "/" + cacheName(testutil::fixture("audio.mp3"))));
}

TEST(Open, EmptyAndMissingFiles)
{
    EXPECT_EQ(failure(open(testutil::fixture("empty.mp4"), true, {})),
              "“empty.mp4” is empty (0 bytes).");
    QTemporaryDir dir;
    EXPECT_EQ(failure(open(dir.filePath("gone.mp4"), true, {})), support::cantRead("gone.mp4"));
}

TEST(Open, UnreadableFile)
{
    if (geteuid() == 0) {
        // Root reads any file: the check runs again in this program as nobody.
        const QStringList asNobody = {"--reuid=65534", "--regid=65534", "--clear-groups"};
        const QString self = QCoreApplication::applicationFilePath();
        if (testutil::run(QStringLiteral("setpriv"), asNobody + QStringList{"test", "-x", self})
                .exitCode != 0)
            GTEST_SKIP() << "running as root, and nobody may not run this test program";
        const auto child =
            testutil::run(QStringLiteral("setpriv"),
                          asNobody + QStringList{self, "--gtest_filter=Open.UnreadableFile"});
        EXPECT_EQ(child.exitCode, 0) << child.out.toStdString() << child.err.toStdString();
        EXPECT_TRUE(child.out.contains("[  PASSED  ] 1 test")) << child.out.toStdString();
        return;
    }
    QTemporaryDir dir;
    const QString locked = dir.filePath("locked.mp4");
    QFile(locked).open(QIODevice::WriteOnly);  // empty as well: readability comes first
    QFile(locked).setPermissions(QFile::WriteOwner);
    EXPECT_EQ(failure(open(locked, true, {})), support::cantRead("locked.mp4"));
}

// Two overlapping opens of one file take turns: one converts, the other
// reuses its copy, and either may get there first.
TEST(Open, TransportStreamConvertedOnceThenReused)
{
    QTemporaryDir dir;
    const QString ts = copyOf(dir, "mpeg.ts", "holiday.ts");
    const QString reused = "Converted copy (from MPEG transport stream) re-used.";
    support::StatusLog log;
    auto first = open(ts, true, log.callback());
    auto second = open(ts, true, log.callback());
    const auto a = await(std::move(first));
    const auto b = await(std::move(second));
    support::expectConverting(log, "Converting this MPEG transport stream so Linux can play it…");
    EXPECT_NE(a.note == reused, b.note == reused);
    EXPECT_EQ(a.playable, b.playable);
    const MWOpenedMedia& media = a.note == reused ? b : a;
    EXPECT_TRUE(media.converted);
    EXPECT_EQ(media.original, ts);
    EXPECT_EQ(media.playable, cacheFolder() + "/" + cacheName(ts));
    EXPECT_EQ(media.note,
              "Converted from MPEG transport stream for playback. Your original file is "
              "untouched.");
    EXPECT_EQ(media.naturalSize, QSizeF(320, 240));
    EXPECT_NEAR(media.duration, 2, 0.1);
    EXPECT_NEAR(MWAsset::open(media.playable)->duration, 2, 0.1);

    // The same unchanged file: the copy is reused, silently.
    log.calls->clear();
    const auto again = await(open(ts, true, log.callback()));
    EXPECT_TRUE(log.calls->empty());
    EXPECT_EQ(again.playable, media.playable);
    EXPECT_TRUE(again.converted);
    EXPECT_EQ(again.note, reused);

    // A truncated copy is deleted and made again.
    QFile::resize(media.playable, QFileInfo(media.playable).size() / 3);
    const auto redone = await(open(ts, true, log.callback()));
    EXPECT_FALSE(log.calls->empty());
    EXPECT_EQ(redone.playable, media.playable);
    EXPECT_TRUE(redone.note->startsWith("Converted from"));
    EXPECT_NEAR(redone.duration, 2, 0.1);

    // A touched file is a new file; the old copy stays.
    QFile f(ts);
    f.open(QIODevice::ReadWrite);
    f.setFileTime(QDateTime::currentDateTime().addSecs(60), QFile::FileModificationTime);
    f.close();
    const auto touched = await(open(ts, true, {}));
    EXPECT_NE(touched.playable, media.playable);
    EXPECT_TRUE(touched.note->startsWith("Converted from"));
    EXPECT_TRUE(QFileInfo::exists(media.playable));
}

TEST(Open, OtherKindsGoToTheConverter)
{
    QTemporaryDir dir;
    for (const char* name : {"mpeg.mpg", "raw.m2v", "matroska.mkv"}) {
        SCOPED_TRACE(name);
        const auto media = await(open(copyOf(dir, name, name), true, {}));
        EXPECT_TRUE(media.converted);
        EXPECT_EQ(media.naturalSize, QSizeF(320, 240));
    }
}

TEST(Open, ReExportBeforeTheConverter)
{
    // Its headers give no duration, so it cannot be opened as it is; a copy of
    // its tracks can, and the converter is not needed.
    QTemporaryDir dir, tools;
    support::ConverterAt at(countingFailure(tools));
    support::StatusLog log;
    const auto media =
        await(open(copyOf(dir, "zero_duration.mp4", "phone.mp4"), true, log.callback()));
    EXPECT_EQ(conversions(tools), 0);
    EXPECT_TRUE(media.converted);
    EXPECT_EQ(media.note, "Converted from MP4/MOV for playback. Your original file is untouched.");
    EXPECT_NEAR(media.duration, 2, 0.2);
    ASSERT_GE(log.calls->size(), 2u);
    support::expectConverting(log, "Converting this MP4/MOV so Linux can play it…");
}

TEST(Open, FailuresCarryTheLastDetailAndLeaveNothing)
{
    QTemporaryDir dir;
    const QString random = copyOf(dir, "random.mp4", "random.mp4");
    const QString mkv = copyOf(dir, "matroska.mkv", "film.mkv");
    const QString damaged = "“random.mp4” couldn't be opened. It may be damaged, protected (DRM) "
                            "or in a format this app can't read (unknown).";
    {
        support::ConverterAt at(dir.filePath("absent"));
        // The re-export fails first; the missing converter is the last word.
        EXPECT_EQ(failure(open(random, true, {})), damaged + "\n\nDetails: " + missing);
        EXPECT_EQ(failure(open(mkv, true, {})),
                  "“film.mkv” couldn't be opened. It may be damaged, protected (DRM) or in a "
                  "format this app can't read (Matroska/WebM).\n\nDetails: " +
                      missing);
    }
    support::StatusLog log;
    EXPECT_EQ(failure(open(random, true, log.callback())),
              damaged + "\n\nDetails: Conversion failed: the file's contents are damaged or in "
                        "a format the converter doesn't know.");
    support::expectConverting(log, "Converting this file so Linux can play it…");
    EXPECT_FALSE(QFileInfo::exists(cacheFolder() + "/" + cacheName(random)));
    EXPECT_FALSE(QFileInfo::exists(cacheFolder() + "/" + cacheName(mkv)));
}

// A failed conversion is not repeated for an open that waited on it.
TEST(Open, OverlappingOpensShareAFailedConversion)
{
    QTemporaryDir dir;
    QTemporaryDir tools;
    support::ConverterAt at(countingFailure(tools));
    const QString broken = dir.filePath("broken.ts");
    QFile f(broken);
    f.open(QIODevice::WriteOnly);
    QByteArray packets(3 * 188, '\xff');
    packets[0] = packets[188] = packets[376] = 0x47;
    f.write(packets);
    f.close();
    auto third = open(broken, true, {});
    auto fourth = open(broken, true, {});
    const QString message = failure(std::move(third));
    EXPECT_TRUE(message.startsWith("“broken.ts” couldn't be opened.")) << message.toStdString();
    EXPECT_EQ(failure(std::move(fourth)), message);
    EXPECT_EQ(conversions(tools), 1);
}
