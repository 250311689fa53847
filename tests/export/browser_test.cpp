#include "browser_support.h"
#include "export_support.h"
#include "media/opener.h"

#include <QFile>

using exporttest::Engine;

namespace {

// One source of each kind the fixtures make, opened as the app opens it (the
// transport stream through its converted copy), cut to a short clip of a
// shape that gives small pictures, so that the whole run costs seconds.
struct Case {
    const char* fixture;
    double in, out;
    Aspect aspect;
    int shortSide;
    QSize shown;  // what the browser must report
    bool sound;
};
// clang-format off
const Case kCases[] = {
    // Mono at 48 kHz, at the smallest size the app itself exports.
    {"export_counter.mp4",      0.48, 1.48, Aspect::vertical, 720, {720, 1280}, true},
    {"export_quad.mp4",         0,    1,    Aspect::square,   180, {180, 180},  false},
    // Turned a quarter for display; pixels that are not square, turned too.
    {"export_quad_cw.mp4",      0,    1,    Aspect::portrait, 180, {180, 226},  false},
    {"anamorphic_hdv_cw.mp4",   0,    1,    Aspect::square,   180, {180, 180},  false},
    // Sound the engines must change: six channels at 96 kHz, mono at 44.1 kHz.
    {"export_96k_6ch.mp4",      0,    1,    Aspect::wide,     180, {320, 180},  true},
    {"export_44k_mono.mp4",     0,    1,    Aspect::vertical, 180, {180, 320},  true},
    // 120 frames a second.
    {"export_counter120.mp4",   0,    0.6,  Aspect::vertical, 180, {180, 320},  false},
    // A picture 14 pixels wide, and one that changes size mid-stream.
    {"bars_sliver.mp4",         0,    1,    Aspect::vertical, 180, {180, 320},  false},
    {"export_size_change.ts",   0,    1.6,  Aspect::wide,     180, {320, 180},  false},
    // A varying rate with sound at 44.1 kHz, and HDR tone-mapped.
    {"export_flash_vfr.mp4",    0.2,  2.2,  Aspect::vertical, 180, {180, 320},  true},
    {"export_hlg.mp4",          0,    1,    Aspect::square,   180, {180, 180},  false},
};
// clang-format on

}  // namespace

// Every clip either engine writes must play to its end in a browser's own
// video element: what a person previewing a clip, or a site taking it, gets.
// ffprobe reading a file is no proof that a browser plays it. Two broken
// files go through the same check first to prove it can fail: one whose index
// promises more than its data holds, and one in a codec browsers do not play.
TEST(BrowserPlayback, EveryExportPlaysToItsEndInChromium)
{
    ASSERT_FALSE(browsertest::chromium().isEmpty())
        << "Chromium is not installed; run tools/bootstrap, which installs it.";
    QTemporaryDir dir;
    const QStringList broken{"broken-cut-short.mp4", "broken-mpeg2-video.mp4"};
    QFile::copy(testutil::fixture("export_cut_short.mp4"), dir.filePath(broken[0]));
    QFile::copy(testutil::fixture("export_mpeg2.mp4"), dir.filePath(broken[1]));

    QStringList names = broken;
    std::vector<const Case*> cases;
    for (const Engine engine : {Engine::converter, Engine::composition}) {
        for (const Case& c : kCases) {
            const QString name = QStringLiteral("%1-%2.mp4")
                                     .arg(engine == Engine::converter ? "converter" : "composition",
                                          QString(c.fixture).replace('.', '_'));
            const MWOpenedMedia media =
                testutil::await(MWMediaOpener::open(testutil::fixture(c.fixture), true, {}));
            exporttest::exportWith(engine, exporttest::clipOf(c.in, c.out, c.aspect), media,
                                   dir.filePath(name), c.shortSide);
            names << name;
            cases.push_back(&c);
        }
    }

    // A browser that hangs or dies still names the files it had not finished.
    const browsertest::Playback playback = browsertest::playInChromium(dir.path(), names);
    EXPECT_EQ(playback.failure, QString());
    ASSERT_EQ(playback.clips.size(), size_t(names.size()));
    for (qsizetype i = 0; i < broken.size(); ++i) {
        EXPECT_NE(browsertest::fault(playback.clips[i]), QString())
            << broken[i].toStdString() << " played to its end: the check would miss a broken clip";
    }
    for (size_t i = 0; i < cases.size(); ++i) {
        const browsertest::Played& p = playback.clips[i + broken.size()];
        const Case& c = *cases[i];
        const QString fault = browsertest::fault(p);
        EXPECT_EQ(fault, QString());
        if (!fault.isEmpty())
            continue;
        EXPECT_EQ(p.size, c.shown)
            << p.name.toStdString() << " is " << p.size.width() << "x" << p.size.height();
        EXPECT_NEAR(p.duration, c.out - c.in, 0.1) << p.name.toStdString();
        if (c.sound) {
            EXPECT_GT(p.soundBytes, 0) << p.name.toStdString() << " played without its sound";
        }
    }
}
