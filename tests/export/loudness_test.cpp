#include "export/exporter.h"
#include "export/fastexport.h"
#include "export/loudness.h"
#include "export_support.h"
#include "model/cropmath.h"

#include <QFile>

using namespace ClipExporter;
using exporttest::Engine;

namespace {

using exporttest::reading;
using exporttest::Reading;

struct LoudnessTest : ::testing::TestWithParam<Engine> {
    QTemporaryDir dir;

    QString exportOf(const char* fixture, const Clip& clip, bool normalize)
    {
        static int n = 0;
        return exporttest::exportWith(GetParam(), clip, exporttest::media(fixture),
                                      dir.filePath(QStringLiteral("%1.mp4").arg(++n)), 720,
                                      normalize);
    }
};

}  // namespace

// Quiet speech-like sound (-30 LUFS: 16 dB to make up, the limiter holding
// its peaks), loud sound cut off at full scale (-6 LUFS) and sound of quiet
// and loud passages all leave at the target under the ceiling. Each clip is
// measured over its own range: the quiet passage alone is lifted to the same
// loudness as the loud one alone.
TEST_P(LoudnessTest, NormalizedClipsLandOnTheTargetUnderTheCeiling)
{
    const std::pair<const char*, Clip> cases[] = {
        {"loudness_quiet.mp4", exporttest::clipOf(0, 6)},
        {"loudness_loud.mp4", exporttest::clipOf(0, 6)},
        {"loudness_dynamic.mp4", exporttest::clipOf(0, 6)},
        {"loudness_dynamic.mp4", exporttest::clipOf(0, 3)},
        {"loudness_dynamic.mp4", exporttest::clipOf(3, 6)}};
    for (const auto& [fixture, clip] : cases) {
        SCOPED_TRACE(std::string(fixture) + " from " + std::to_string(clip.inTime));
        const Reading r = reading(exportOf(fixture, clip, true));
        EXPECT_NEAR(r.integrated, CWLoudness::target, 0.5);
        EXPECT_LE(r.truePeak, CWLoudness::ceiling);
    }
}

// The source level leaves the sound as loud as the source has it (the quiet
// source reads -30.0 LUFS itself).
TEST_P(LoudnessTest, SourceLevelLeavesTheLoudnessAsItWas)
{
    const Reading source = reading(testutil::fixture("loudness_quiet.mp4"));
    const Reading r = reading(exportOf("loudness_quiet.mp4", exporttest::clipOf(0, 6), false));
    EXPECT_NEAR(r.integrated, source.integrated, 0.3);
}

// Normalised sound stays on the picture (the limiter's look-ahead delay is
// taken back), a clip of noise under the gate is not lifted, and a clip
// without sound still exports, without sound.
TEST_P(LoudnessTest, NormalizedSoundKeepsItsPlaceSilenceAndAbsence)
{
    // The counter's tone starts 0.52 s into a clip from 0.48 s.
    const QString counter = exportOf("export_counter.mp4", exporttest::clipOf(0.48, 1.48), true);
    EXPECT_NEAR(exporttest::soundOnset(counter), 0.52, 0.01);
    EXPECT_NEAR(reading(counter).integrated, CWLoudness::target, 0.5);

    const Reading silent = reading(exportOf("loudness_silent.mp4", exporttest::clipOf(0, 6), true));
    EXPECT_LE(silent.integrated, CWLoudness::gate);
    EXPECT_LT(silent.samplePeak, -80);  // the source's noise peaks near -87 dBFS

    const exporttest::Probe none =
        exporttest::probe(exportOf("export_quad.mp4", exporttest::clipOf(0, 1), true));
    EXPECT_TRUE(none.video);
    EXPECT_FALSE(none.audio);
}

INSTANTIATE_TEST_SUITE_P(Engines, LoudnessTest,
                         ::testing::Values(Engine::converter, Engine::composition),
                         [](const auto& info) {
                             return info.param == Engine::converter ? "Converter" : "Composition";
                         });

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
        const qsizetype at = args.indexOf("-af");
        ASSERT_GT(at, 0);
        EXPECT_EQ(args.mid(at - 2, 2), QStringList({"-ar", "48000"}));
        const QString filters = args[at + 1];
        EXPECT_TRUE(filters.startsWith("aformat=sample_rates=48000:channel_layouts=stereo,volume="))
            << filters.toStdString();
        EXPECT_TRUE(filters.contains("alimiter=")) << filters.toStdString();
        args.remove(at, 2);
        EXPECT_EQ(args, old);
    }
}

// The gain follows the measurement: silence and unreadable sound get none; a
// clip whose peaks stay under the limit is measured once; one whose peaks the
// limiter holds is measured again through the filters and the gain raised by
// what the limiter took, at most 3 dB in all.
TEST(Loudness, GainComesFromTheMeasurementCorrectedForTheLimiter)
{
    struct Call {
        QString filters;
        bool truePeak;
    };
    const auto run = [](std::vector<std::optional<MWLoudness>> answers, std::vector<Call>& calls) {
        return CWLoudness::filtersFor([&](const QString& filters, bool truePeak) {
            calls.push_back({filters, truePeak});
            const std::optional<MWLoudness> answer =
                answers[std::min(calls.size(), answers.size()) - 1];
            return answer;
        });
    };
    std::vector<Call> calls;
    EXPECT_EQ(run({MWLoudness{-70, -90}}, calls), QString());
    EXPECT_EQ(run({std::nullopt}, calls), QString());
    EXPECT_EQ(calls.size(), 2u);

    calls.clear();
    EXPECT_EQ(run({MWLoudness{-30, -20}}, calls), CWLoudness::filters(16));
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_TRUE(calls[0].filters.isEmpty());
    EXPECT_TRUE(calls[0].truePeak);

    calls.clear();
    EXPECT_EQ(run({MWLoudness{-30, -10}, MWLoudness{-15.2, -2}, MWLoudness{-14.05, -2}}, calls),
              CWLoudness::filters(17.2));
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[1].filters, CWLoudness::filters(16));
    EXPECT_FALSE(calls[1].truePeak);
    EXPECT_EQ(calls[2].filters, CWLoudness::filters(17.2));

    calls.clear();
    EXPECT_EQ(run({MWLoudness{-30, -10}, MWLoudness{-20, -2}}, calls), CWLoudness::filters(19));
    EXPECT_LE(calls.size(), 3u);

    // Loud sound is turned down, and a limiter on it has nothing to hold.
    calls.clear();
    EXPECT_EQ(run({MWLoudness{-6, 0.5}}, calls), CWLoudness::filters(-8));
    EXPECT_EQ(calls.size(), 1u);
}
