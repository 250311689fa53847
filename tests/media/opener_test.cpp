#include "media/opener.h"
#include "media/thumbnails.h"

#include "opener_support.h"
#include "platform/asset.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QStandardPaths>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <filesystem>
#include <functional>
#include <unistd.h>

using namespace MWMediaOpener;
using support::await;
using support::failure;

namespace {

const QString missing = "The built-in converter is missing from this copy of the app.";

// Writes a copy of a fixture under a path given as raw bytes, which need not
// be UTF-8; returns the path as the rest of the program sees it (open panels,
// drops and the command line all decode names the same way).
QString rawCopy(const QByteArray& rawPath, const QString& fixture)
{
    std::filesystem::copy_file(QFile::encodeName(testutil::fixture(fixture)).toStdString(),
                               rawPath.toStdString());
    return QFile::decodeName(rawPath);
}

QList<Thumb> thumbs(const QString& fixture, double duration, int count, double height = 90)
{
    const auto asset = MWAsset::open(testutil::fixture(fixture));
    return QCoro::waitFor(thumbnails(asset, duration, count, height));
}
}  // namespace

TEST(CacheName, HashKeyTextFolderAndFortyCharactersWithinTheByteLimit)
{
    EXPECT_EQ(fnv1a64("foobar"), 0x85944171f73967e8ULL);
    // The shortest decimal that reads back, always with a point (0 and a
    // fraction are the cache keys below).
    EXPECT_EQ(shortestDecimal(1e21), "1000000000000000000000.0");
    EXPECT_EQ(shortestDecimal(1712345678.123456789), "1712345678.1234567");

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

    // Made again on every read.
    const QString folder = cacheFolder();
    EXPECT_EQ(folder, QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                          "/Marrowick/Cutwright/Converted");
    QDir(folder).removeRecursively();
    EXPECT_TRUE(QFileInfo(cacheFolder()).isDir());

    // The copy's name keeps forty user-perceived characters of the original's,
    // which can be far more than 255 bytes (names copied from a Mac hold Korean
    // as separate jamo, 9 bytes a syllable): it is cut between whole characters
    // so that it fits with the hash and ".mov".
    const QString syllable = QString::fromUtf8("\u1100\u1161\u11A8");
    const QString family = QString::fromUtf8("👨‍👩‍👧‍👦");
    const std::pair<QString, QString> names[] = {
        {syllable.repeated(28), syllable.repeated(26) + "-"},  // a 255-byte file name
        {family.repeated(10), family.repeated(9) + "-"},
        // é, two code points
        {QString("e\u0301").repeated(45), QString("e\u0301").repeated(40) + "-"}};
    for (const auto& [stem, start] : names) {
        const QString name = cacheName(dir.filePath(stem + ".ts"));
        EXPECT_LE(QFile::encodeName(name).size(), 255) << name.toStdString();
        EXPECT_TRUE(name.startsWith(start)) << name.toStdString();
    }
}

TEST(Inspected, DefaultRateAndRefusals)
{
    auto asset = std::make_shared<MWAsset>();
    asset->readable = asset->playable = true;
    asset->duration = 2;
    asset->videoTracks = 1;
    asset->naturalSize = QSizeF(320, 240);
    // The record's other fields are the opens' below.
    // No rate recorded.
    EXPECT_EQ(inspected(asset, "/u/x.ts", true, "note", true).nominalFrameRate, 30);

    // Each change from that good record, and the message it gives.
    const std::pair<std::function<void(MWAsset&)>, const char*> bad[] = {
        {[](MWAsset& a) { a.playable = false; }, "not readable"},
        {[](MWAsset& a) { a.naturalSize = QSizeF(1, 240); }, "bad video size"},
        {[](MWAsset& a) { a.duration = 0; }, "not readable"},
        {[](MWAsset& a) { a.duration = INFINITY; }, "not readable"},
        {[](MWAsset& a) { a.readable = false; }, "not readable"},
        {[](MWAsset& a) { a.videoTracks = 0; }, "not readable"}};  // neither picture nor sound
    for (const auto& [change, message] : bad) {
        auto changed = std::make_shared<MWAsset>(*asset);
        change(*changed);
        try {
            inspected(changed, "/u/x.ts", true, std::nullopt, changed->videoTracks > 0);
            ADD_FAILURE() << message;
        } catch (const MWError& e) {
            EXPECT_EQ(e.message, message);
        }
    }
}

TEST(Open, DirectFilesAudioFilesAndEmptyOnesNeedNoStatus)
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
    // Stored 320 × 240, shown upright as 240 × 320.
    EXPECT_EQ(await(open(testutil::fixture("rotated.mp4"), true, log.callback())).naturalSize,
              QSizeF(240, 320));
    EXPECT_FALSE(await(open(testutil::fixture("video_only.mp4"), true, {})).hasAudio);

    // The store's import tests open the MPEG-4 sound file.
    EXPECT_EQ(failure(open(testutil::fixture("audio.mp3"), true, log.callback())),
              "“audio.mp3” has no picture — it's an audio file. This app needs a video file.");
    const auto audio = await(open(testutil::fixture("audio.mp3"), false, {}));
    EXPECT_FALSE(audio.hasVideo);
    EXPECT_TRUE(audio.hasAudio);
    EXPECT_EQ(audio.naturalSize, QSizeF(0, 0));
    EXPECT_FALSE(
        QFileInfo::exists(cacheFolder() + "/" + cacheName(testutil::fixture("audio.mp3"))));
    EXPECT_EQ(failure(open(testutil::fixture("empty.mp4"), true, {})),
              "“empty.mp4” is empty (0 bytes).");
    EXPECT_TRUE(log.calls->empty());
}

// Missing files are NamesThatAreNotUtf8's last but one case.
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
        EXPECT_TRUE(child.out.contains("[  PASSED  ] 1 test"))
            << child.out.toStdString() << child.err.toStdString();
        return;
    }
    QTemporaryDir dir;
    const QString locked = dir.filePath("locked.mp4");
    QFile(locked).open(QIODevice::WriteOnly);  // empty as well: readability comes first
    QFile(locked).setPermissions(QFile::WriteOwner);
    EXPECT_EQ(failure(open(locked, true, {})),
              "“locked.mp4” can't be read. Check that the drive is connected and that you have "
              "permission to open it.");
}

// Two overlapping opens of one file take turns: one converts, the other
// reuses its copy, and either may get there first.
TEST(Open, TransportStreamConvertedOnceThenReused)
{
    QTemporaryDir dir;
    const QString ts = testutil::copyFixture("mpeg.ts", dir.path(), "holiday.ts");
    const QString reused = "Converted copy (from MPEG transport stream) re-used.";
    support::StatusLog log;
    auto first = open(ts, true, log.callback());
    auto second = open(ts, true, log.callback());
    const auto a = await(std::move(first));
    const auto b = await(std::move(second));
    support::expectConverting(log, "Converting this MPEG transport stream so Linux can play it…");
    EXPECT_NE(a.note == reused, b.note == reused);
    const MWOpenedMedia& media = a.note == reused ? b : a;
    EXPECT_TRUE(media.converted);
    EXPECT_EQ(media.original, ts);
    EXPECT_EQ(media.playable, cacheFolder() + "/" + cacheName(ts));
    EXPECT_EQ(media.note,
              "Converted from MPEG transport stream for playback. Your original file is "
              "untouched.");
    EXPECT_EQ(media.naturalSize, QSizeF(320, 240));
    EXPECT_NEAR(media.duration, 2, 0.1);
    EXPECT_TRUE(media.hasAudio);

    // The same unchanged file: the copy is reused, silently.
    log.calls->clear();
    const auto again = await(open(ts, true, log.callback()));
    EXPECT_TRUE(log.calls->empty());
    EXPECT_EQ(again.note, reused);

    // A truncated copy is deleted and made again.
    QFile::resize(media.playable, QFileInfo(media.playable).size() / 3);
    EXPECT_TRUE(await(open(ts, true, {})).note->startsWith("Converted from"));

    // A touched file is a new file; the old copy stays.
    std::filesystem::last_write_time(QFile::encodeName(ts).toStdString(),
                                     std::filesystem::file_time_type::clock::now() +
                                         std::chrono::minutes(1));
    EXPECT_NE(await(open(ts, true, {})).playable, media.playable);
    EXPECT_TRUE(QFileInfo::exists(media.playable));
}

// A file whose headers give no duration cannot be opened as it is; a copy of
// its tracks can, and the converter is not needed. A failed conversion is not
// repeated for an open that waited on it.
TEST(Open, ReExportBeforeTheConverterAndOneFailedConversionForOverlappingOpens)
{
    QTemporaryDir dir, tools;
    // Fails every attempt; each conversion started (its first attempt) leaves a byte.
    const QString conversions = tools.filePath("count");
    testutil::ConverterAt at(testutil::script(
        tools, "ffmpeg",
        "case \"$*\" in *h264_videotoolbox*) echo >>'" + conversions.toUtf8() +
            "' ;; esac\necho 'Invalid data found when processing input' >&2\nexit 1\n"));
    support::StatusLog log;
    const auto media = await(open(
        testutil::copyFixture("zero_duration.mp4", dir.path(), "phone.mp4"), true, log.callback()));
    EXPECT_FALSE(QFileInfo::exists(conversions));
    EXPECT_TRUE(media.converted);
    EXPECT_EQ(media.note, "Converted from MP4/MOV for playback. Your original file is untouched.");
    EXPECT_NEAR(media.duration, 2, 0.2);
    ASSERT_GE(log.calls->size(), 2u);
    support::expectConverting(log, "Converting this MP4/MOV so Linux can play it…");

    QByteArray packets(3 * 188, '\xff');
    packets[0] = packets[188] = packets[376] = 0x47;
    QFile broken(dir.filePath("broken.ts"));
    broken.open(QIODevice::WriteOnly);
    broken.write(packets);
    broken.close();
    auto third = open(broken.fileName(), true, {});
    auto fourth = open(broken.fileName(), true, {});
    const QString message = failure(std::move(third));
    EXPECT_TRUE(message.startsWith("“broken.ts” couldn't be opened.")) << message.toStdString();
    EXPECT_EQ(failure(std::move(fourth)), message);
    EXPECT_EQ(QFileInfo(conversions).size(), 1);
}

TEST(Open, FailuresCarryTheLastDetailAndLeaveNothing)
{
    QTemporaryDir dir;
    const QString random = testutil::copyFixture("random.mp4", dir.path(), "random.mp4");
    const QString damaged = "“random.mp4” couldn't be opened. It may be damaged, protected (DRM) "
                            "or in a format this app can't read (unknown).";
    {
        testutil::ConverterAt at(dir.filePath("absent"));
        // The re-export fails first; the missing converter is the last word.
        EXPECT_EQ(failure(open(random, true, {})), damaged + "\n\nDetails: " + missing);
    }
    support::StatusLog log;
    EXPECT_EQ(failure(open(random, true, log.callback())),
              damaged + "\n\nDetails: Conversion failed: the file's contents are damaged or in "
                        "a format the converter doesn't know.");
    support::expectConverting(log, "Converting this file so Linux can play it…");
    EXPECT_FALSE(QFileInfo::exists(cacheFolder() + "/" + cacheName(random)));
}

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
    ASSERT_TRUE(std::filesystem::create_directory((root + "/old\xfe share").toStdString()));
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
    EXPECT_TRUE(failure(open(dir.filePath(QString::fromUtf8("gone\uFFFD.mp4")), true, {}))
                    .contains("can't be read"));
    // A name that really holds the replacement character opens like any other.
    const QString real = rawCopy(root + "/real\xef\xbf\xbd.mp4", "h264_aac.mp4");
    EXPECT_EQ(failure(open(real, true, {})), QString());
}

// Each frame is the middle of its slice of time, upright (which way up is the
// frame generator's test) and in the shape the player shows (pixels that are
// not square too), inside 1.5 strips by two. Three bytes a pixel: every source
// keeps 24 of them for the whole run.
TEST(Thumbnails, EvenlySpreadUprightInTheShownShape)
{
    // Fixture, its length, how many, strip height, and the size of each.
    const std::tuple<const char*, double, int, double, QSize> cases[] = {
        {"h264_aac.mp4", 4.0, 24, 90, {240, 180}},  // 320×240 into 270×180
        {"frames_portrait.mp4", 2.0, 4, 60, {68, 120}},
        // Quarter-size HDV: 480 × 360 at 4:3 is 640 × 360; turned, it stands upright.
        {"anamorphic_hdv.mp4", 1.0, 2, 90, {270, 152}},
        {"anamorphic_hdv_cw.mp4", 1.0, 2, 90, {101, 180}}};
    for (const auto& [fixture, duration, count, height, size] : cases) {
        SCOPED_TRACE(fixture);
        const QList<Thumb> strip = thumbs(fixture, duration, count, height);
        ASSERT_EQ(strip.size(), count);
        for (int i = 0; i < strip.size(); ++i) {
            EXPECT_DOUBLE_EQ(strip[i].first, (i + 0.5) * duration / count);
            EXPECT_EQ(strip[i].second.size(), size);
            EXPECT_EQ(strip[i].second.format(), QImage::Format_RGB888);
        }
    }
    EXPECT_TRUE(thumbs("h264_aac.mp4", 4.0, 0).isEmpty());
    EXPECT_TRUE(thumbs("h264_aac.mp4", 0.0, 24).isEmpty());
    EXPECT_TRUE(thumbs("frames_audio.m4a", 2.0, 24).isEmpty());
    // Without touching the asset at all.
    EXPECT_TRUE(QCoro::waitFor(thumbnails(nullptr, 4.0, 0, 90)).isEmpty());
}

// Each frame is told of on the main thread as it is made, once, before the
// task ends; the strip then holds them in time order. Cancelling is asked
// before each frame, by every worker: a strip cancelled part-way keeps the
// frames made, in time order, and tells only of those.
TEST(Thumbnails, StreamedOnceEachOnTheMainThreadAndCancelledPartWay)
{
    const auto asset = MWAsset::open(testutil::fixture("h264_aac.mp4"));
    for (const int stopAfter : {1000, 7}) {
        SCOPED_TRACE(stopAfter);
        QMap<int, Thumb> heard;
        int repeats = 0;
        bool elsewhere = false;
        bool afterwards = false;
        bool finished = false;
        const MWMediaOpener::ThumbMade made = [&](int index, const Thumb& thumb) {
            repeats += heard.contains(index);
            heard.insert(index, thumb);
            elsewhere |= QThread::currentThread() != qApp->thread();
            afterwards |= finished;
        };
        std::atomic<int> asked = 0;
        const auto cancelled = [&asked, stopAfter] { return ++asked > stopAfter; };
        const QList<Thumb> strip = QCoro::waitFor(thumbnails(asset, 4.0, 24, 90, cancelled, made));
        finished = true;
        QCoreApplication::processEvents();
        const int expected = std::min(stopAfter, 24);
        ASSERT_EQ(strip.size(), expected);
        EXPECT_EQ(heard.size(), expected);
        EXPECT_EQ(repeats, 0);
        EXPECT_FALSE(elsewhere);
        EXPECT_FALSE(afterwards);
        for (qsizetype i = 1; i < strip.size(); ++i)
            EXPECT_LT(strip[i - 1].first, strip[i].first);
        for (auto it = heard.cbegin(); it != heard.cend(); ++it) {
            EXPECT_DOUBLE_EQ(it.value().first, (it.key() + 0.5) * 4.0 / 24);
            EXPECT_EQ(it.value().second.size(), QSize(240, 180));
            EXPECT_TRUE(std::any_of(strip.begin(), strip.end(), [&](const Thumb& t) {
                return t.first == it.value().first &&
                       t.second.cacheKey() == it.value().second.cacheKey();
            }));
        }
    }
}
