#include "export/exporter.h"
#include "export/fastexport.h"
#include "export/loudness.h"
#include "export_support.h"
#include "model/cropmath.h"

#include <QFile>

using namespace ClipExporter;

namespace {

using exporttest::reading;
using exporttest::Reading;

struct LoudnessTest : exporttest::EngineTest {};

}  // namespace

// Quiet speech-like sound (-30 LUFS: 16 dB to make up, the limiter holding
// its peaks), loud sound cut off at full scale (-6 LUFS) and sound of quiet
// and loud passages all leave at the target under the ceiling. Each clip is
// measured over its own range: the quiet passage alone is lifted to the same
// loudness as the loud one alone.
TEST_P(LoudnessTest, NormalizedClipsLandOnTheTargetUnderTheCeilingSourceLevelStays)
{
    const std::pair<const char*, Clip> cases[] = {
        {"loudness_quiet.mp4", exporttest::clipOf(0, 6)},
        {"loudness_loud.mp4", exporttest::clipOf(0, 6)},
        {"loudness_dynamic.mp4", exporttest::clipOf(0, 6)},
        {"loudness_dynamic.mp4", exporttest::clipOf(0, 3)},
        {"loudness_dynamic.mp4", exporttest::clipOf(3, 6)}};
    for (const auto& [fixture, clip] : cases) {
        SCOPED_TRACE(std::string(fixture) + " from " + std::to_string(clip.inTime));
        const Reading r = reading(exportOf(fixture, clip, 720, true));
        EXPECT_NEAR(r.integrated, CWLoudness::target, 0.5);
        EXPECT_LE(r.truePeak, CWLoudness::ceiling);
    }
    // The source level leaves the sound as loud as the source has it (-30 LUFS).
    const Reading source = reading(testutil::fixture("loudness_quiet.mp4"));
    const Reading r = reading(exportOf("loudness_quiet.mp4", exporttest::clipOf(0, 6), 720, false));
    EXPECT_NEAR(r.integrated, source.integrated, 0.3);
}

// Normalised sound stays on the picture (the limiter's look-ahead delay is
// taken back), a clip of noise under the gate is not lifted, and a clip
// without sound still exports, without sound.
TEST_P(LoudnessTest, NormalizedSoundKeepsItsPlaceSilenceAndAbsence)
{
    // The counter's tone starts 0.52 s into a clip from 0.48 s.
    const QString counter =
        exportOf("export_counter.mp4", exporttest::clipOf(0.48, 1.48), 720, true);
    EXPECT_NEAR(exporttest::soundOnset(counter), 0.52, 0.01);
    EXPECT_NEAR(reading(counter).integrated, CWLoudness::target, 0.5);

    const Reading silent =
        reading(exportOf("loudness_silent.mp4", exporttest::clipOf(0, 6), 720, true));
    EXPECT_LE(silent.integrated, CWLoudness::gate);
    EXPECT_LT(silent.samplePeak, -80);  // the source's noise peaks near -87 dBFS

    const exporttest::Probe none =
        exporttest::probe(exportOf("export_quad.mp4", exporttest::clipOf(0, 1), 720, true));
    EXPECT_TRUE(none.video);
    EXPECT_FALSE(none.audio);
}

CW_EACH_ENGINE(LoudnessTest);

// The converter's command line is the one of old at the source level; a
// normalised clip adds one filter for its sound, which first makes it the
// 48 kHz stereo the composition filters.
TEST(Loudness, TheConverterGetsOneSoundFilterOnlyWhenNormalizing)
{
    QTemporaryDir dir;
    const QString argsFile = dir.filePath("args");
    testutil::ConverterAt recording(exporttest::fakeConverter(
        dir, "printf '%s\\n' \"$@\" > \"" + argsFile + "\"; head -c 2000 /dev/zero > \"$out\""));
    const MWOpenedMedia media = exporttest::media("loudness_quiet.mp4");
    const Clip clip = exporttest::clipOf(0, 2, Aspect::square);
    const QRectF crop =
        CropMath::cropFrame(clip.aspect, 1, 0.5, 0.5, media.naturalSize, std::nullopt);
    for (const bool normalize : {false, true}) {
        SCOPED_TRACE(normalize ? "normalized" : "source level");
        const QString out = dir.filePath(normalize ? "n.mp4" : "s.mp4");
        auto job = std::make_shared<Job>();
        job->normalizeLoudness = normalize;
        const exporttest::Outcome o =
            exporttest::outcome(exportClip(clip, media, {}, 720, out, job, {}));
        ASSERT_EQ(o.kind, exporttest::Outcome::done) << o.message.toStdString();
        QFile file(argsFile);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        QStringList args = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
        const QStringList old = fastArgs(media, 0, 2, crop, QSizeF(720, 720), args.last());
        if (!normalize) {
            EXPECT_EQ(args, old);
            continue;
        }
        // Only the sound's filters differ: the gain and limiter on the 48 kHz
        // stereo sound, before the cut of the encoder's priming.
        const qsizetype at = args.indexOf("-af");
        ASSERT_GT(at, 0);
        const QString filters = args[at + 1];
        EXPECT_TRUE(filters.startsWith("aformat=sample_rates=48000:channel_layouts=stereo,volume="))
            << filters.toStdString();
        EXPECT_TRUE(filters.contains("alimiter=")) << filters.toStdString();
        EXPECT_TRUE(filters.endsWith(",atrim=start_sample=1024")) << filters.toStdString();
        args[at + 1] = old.value(old.indexOf("-af") + 1);
        EXPECT_EQ(args, old);
    }
}

// The gain follows the measurement. The real exports above show it lands;
// here, what only a contrived measurement shows: a clip whose peaks the
// limiter holds is measured again through the filters (without the costly
// true peak) and the gain raised by what the limiter took, at most 3 dB in
// all; peaks the limiter barely touches need one measurement.
TEST(Loudness, GainIsCorrectedForWhatTheLimiterTakesWithinBounds)
{
    std::vector<std::pair<QString, bool>> calls;
    const auto run = [&](std::vector<MWLoudness> answers) {
        calls.clear();
        return CWLoudness::filtersFor([&](const QString& filters, bool truePeak) {
            calls.emplace_back(filters, truePeak);
            return std::optional(answers[std::min(calls.size(), answers.size()) - 1]);
        });
    };
    EXPECT_EQ(run({{-30, -17.5}}), CWLoudness::filters(16));  // held by 0.5 dB
    EXPECT_EQ(calls, (std::vector<std::pair<QString, bool>>{{QString(), true}}));

    EXPECT_EQ(run({{-30, -10}, {-15.2, -2}, {-14.05, -2}}), CWLoudness::filters(17.2));
    EXPECT_EQ(calls, (std::vector<std::pair<QString, bool>>{{QString(), true},
                                                            {CWLoudness::filters(16), false},
                                                            {CWLoudness::filters(17.2), false}}));

    EXPECT_EQ(run({{-30, -10}, {-20, -2}}), CWLoudness::filters(19));
}
