#include "common/testutil.h"
#include "store_fixture_support.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace storetest;

namespace {
struct Probe {
    int width = 0;
    int height = 0;
    double duration = 0;
    QString videoCodec;
    QString pixelFormat;
    bool audio = false;
};

Probe probe(const QString& file)
{
    const auto r = testutil::run(QStringLiteral("ffprobe"), {"-v", "error", "-show_streams",
                                                             "-show_format", "-of", "json", file});
    const QJsonObject o = QJsonDocument::fromJson(r.out).object();
    Probe p;
    p.duration = o["format"].toObject()["duration"].toString().toDouble();
    for (const QJsonValue& s : o["streams"].toArray()) {
        const QJsonObject stream = s.toObject();
        if (stream["codec_type"] == QLatin1String("video")) {
            p.width = stream["width"].toInt();
            p.height = stream["height"].toInt();
            p.videoCodec = stream["codec_name"].toString();
            p.pixelFormat = stream["pix_fmt"].toString();
        } else if (stream["codec_type"] == QLatin1String("audio")) {
            p.audio = true;
        }
    }
    return p;
}

}  // namespace

class PipelineTest : public StoreTest {};

TEST_F(PipelineTest, ImportCutExportAndRestoreWithoutAWindow)
{
    QTemporaryDir media;
    QTemporaryDir out;
    const QString mp4 = testutil::copyFixture("h264_aac.mp4", media.path(), "talk.mp4");
    const QString letterbox = testutil::copyFixture("bars_letterbox.mp4", media.path(), "film.mp4");
    const QString ts = testutil::copyFixture("mpeg.ts", media.path(), "broadcast.ts");
    const QString audio = testutil::copyFixture("audio.m4a", media.path(), "song.m4a");
    CWStoreTestAccess::setRestoreStarted(*store, true);

    importAndWait(*store, {mp4, letterbox, ts, audio});
    ASSERT_EQ(store->sources().size(), 3);
    ASSERT_EQ(services->alerts.size(), 1);
    EXPECT_EQ(services->alerts[0].first, "1 of 4 files couldn't be opened (3 loaded fine)");
    EXPECT_EQ(services->alerts[0].second,
              QString::fromUtf8("• song.m4a: “song.m4a” has no picture — it's an audio file. "
                                "This app needs a video file."));
    EXPECT_EQ(store->note(), services->alerts[0].first);
    EXPECT_FALSE(store->busy());
    EXPECT_FALSE(store->progress());

    const CWSource& talk = store->sources()[0];
    const CWSource& film = store->sources()[1];
    const CWSource& broadcast = store->sources()[2];
    EXPECT_EQ(talk.thumbs.size(), 24);
    EXPECT_FALSE(talk.picture);
    ASSERT_TRUE(film.picture);
    EXPECT_EQ(*film.picture, QRectF(0, 32, 320, 176));  // one line more, made even
    EXPECT_TRUE(broadcast.media.converted);
    EXPECT_EQ(store->currentSourceID(), broadcast.id);  // the last one loaded is current
    EXPECT_DOUBLE_EQ(store->inMark(), 0);
    EXPECT_NEAR(store->outMark(), broadcast.media.duration, 1e-9);

    // Clips of different shapes on three sources; the last at 720.
    const struct {
        QUuid source;
        double in, out;
        Aspect aspect;
    } cuts[] = {{talk.id, 0.5, 2.5, Aspect::vertical},
                {film.id, 0, 2, Aspect::wide},
                {broadcast.id, 1, 2, Aspect::square}};
    store->setShortSide(720);
    for (const auto& cut : cuts) {
        store->setSelectedClipID(std::nullopt);
        store->select(cut.source);
        store->setIn(cut.in);
        store->setOut(cut.out);
        store->setAspect(cut.aspect);
        store->addClip();
    }
    ASSERT_EQ(store->clips().size(), 3);

    services->folder = out.path();
    exportAndWait(*store);
    ASSERT_EQ(store->exportRows().size(), 3);
    const QSize expected[] = {{720, 1280}, {1280, 720}, {720, 720}};
    for (int i = 0; i < 3; ++i) {
        const ExportRow& row = store->exportRows()[i];
        ASSERT_EQ(row.state, "Done") << row.state.toStdString();
        ASSERT_TRUE(row.file);
        const Probe p = probe(*row.file);
        EXPECT_EQ(QSize(p.width, p.height), expected[i]) << row.name.toStdString();
        EXPECT_EQ(p.videoCodec, "h264");
        EXPECT_EQ(p.pixelFormat, "yuv420p");
        const QUuid from = store->clips()[i].sourceID;
        const bool sound =
            std::find_if(store->sources().begin(), store->sources().end(), [&](const CWSource& s) {
                return s.id == from;
            })->media.hasAudio;
        EXPECT_EQ(p.audio, sound) << row.name.toStdString();
        EXPECT_NEAR(p.duration, store->clips()[i].outTime - store->clips()[i].inTime, 0.1);
    }
    EXPECT_EQ(store->exportRows()[0].name, QString::fromUtf8("01 talk – clip 1 (9x16).mp4"));
    ASSERT_EQ(services->revealed.size(), 1);
    EXPECT_EQ(services->revealed[0].size(), 3);
    EXPECT_TRUE(store->note()->startsWith(
        QStringLiteral("Exported 3 clips to %1 in ").arg(QFileInfo(out.path()).fileName())));

    // Without the converter every clip takes the in-process path, one at a time.
    qputenv("CUTWRIGHT_CONVERTER", "/nonexistent/ffmpeg");
    exportAndWait(*store);
    qunsetenv("CUTWRIGHT_CONVERTER");
    for (const ExportRow& row : store->exportRows()) {
        EXPECT_EQ(row.state, "Done") << row.state.toStdString();
        EXPECT_TRUE(row.name.endsWith(" 2.mp4")) << row.name.toStdString();  // nothing overwritten
        EXPECT_EQ(probe(*row.file).videoCodec, "h264");
    }
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files).size(), 6);

    // Later launches restore the same session; a file renamed away keeps its
    // source and clip pending, and in the file, until it is back.
    const QList<Clip> clips = store->clips();
    const auto launch = [](auto&& check) {
        CWStore next(new ScriptedPlayer, new ScriptedServices);
        restoreInto(next);
        check(next);
    };
    launch([&](CWStore& second) {
        EXPECT_EQ(second.sources().size(), 3);
        EXPECT_EQ(second.clips(), clips);
        EXPECT_EQ(second.currentSourceID(), talk.id);
        EXPECT_EQ(*second.note(), "Restored your last session: 3 videos, 3 clips.");
    });
    QFile::rename(letterbox, letterbox + ".away");
    launch([&](CWStore& third) {
        EXPECT_EQ(third.sources().size(), 2);
        EXPECT_EQ(third.clips().size(), 2);
        EXPECT_EQ(*third.note(),
                  QString::fromUtf8("Restored 2 videos, 2 clips. Not found: film.mp4 — its clips "
                                    "are kept and come back when the file is available again."));
        third.rename(third.clips()[0].id, "edited while one is missing");
        const auto saved = savedSession();
        ASSERT_TRUE(saved);
        EXPECT_EQ(saved->allSources().size(), 3);
        EXPECT_EQ(saved->clips.size(), 3);
    });
    QFile::rename(letterbox + ".away", letterbox);
    launch([&](CWStore& fourth) {
        EXPECT_EQ(fourth.sources().size(), 3);
        EXPECT_EQ(fourth.clips().size(), 3);
        EXPECT_EQ(fourth.clips()[0].name, "edited while one is missing");
    });
}
