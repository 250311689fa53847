#include "common/testutil.h"
#include "media/captionfiles.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using Captions::Cue;
using Captions::Cues;

namespace Captions {
void PrintTo(const Cue& c, std::ostream* os)
{
    *os << '{' << c.start << ", " << c.end << ", \"" << c.text.toStdString() << "\"}";
}
}  // namespace Captions

namespace {

const QString kSrt = QStringLiteral("srt");

QByteArray encoded(QStringConverter::Encoding encoding, const QString& text)
{
    QStringEncoder encoder(encoding);
    return encoder.encode(text);
}

void write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

}  // namespace

TEST(CaptionFiles, EncodingsAndLineEnds)
{
    const QString srt = QStringLiteral("1\n00:00:01,000 --> 00:00:02,500\nCafé – “naïve”\n\n");
    const QString crlf = QString(srt).replace(u'\n', QLatin1String("\r\n"));
    const QString cr = QString(srt).replace(u'\n', u'\r');
    const struct {
        const char* name;
        QByteArray bytes;
        const char* encoding;
    } cases[] = {
        {"UTF-8", srt.toUtf8(), "UTF-8"},
        {"UTF-8 BOM, CRLF", "\xEF\xBB\xBF" + crlf.toUtf8(), "UTF-8"},
        {"UTF-8, CR only", cr.toUtf8(), "UTF-8"},
        {"UTF-16 LE BOM", "\xFF\xFE" + encoded(QStringConverter::Utf16LE, crlf), "UTF-16"},
        {"UTF-16 BE BOM", "\xFE\xFF" + encoded(QStringConverter::Utf16BE, srt), "UTF-16"},
        {"UTF-16 LE, no BOM", encoded(QStringConverter::Utf16LE, crlf), "UTF-16 (guessed)"},
        {"UTF-16 BE, no BOM", encoded(QStringConverter::Utf16BE, srt), "UTF-16 (guessed)"},
    };
    for (const auto& c : cases) {
        const Captions::Reading r = Captions::readBytes(c.bytes, kSrt);
        EXPECT_EQ(r.error, QString()) << c.name;
        EXPECT_EQ(r.encoding, QString::fromUtf8(c.encoding)) << c.name;
        EXPECT_EQ(r.cues, (Cues{{1, 2.5, QStringLiteral("Café – “naïve”")}})) << c.name;
        EXPECT_EQ(r.skipped, 0) << c.name;
    }

    // Legacy code pages are guessed, and the guess is said.
    const struct {
        const char* codec;
        QString text;
    } legacy[] = {
        {"windows-1252", QStringLiteral("Café – “naïve” déjà vu, où est la fenêtre?")},
        {"windows-1251", QStringLiteral("Привет, как дела? Сегодня мы говорим о субтитрах.")},
        {"Shift_JIS", QStringLiteral("こんにちは、今日は字幕について話します。")},
        {"GB18030", QStringLiteral("你好，今天我们来谈谈字幕的问题。")},
    };
    for (const auto& c : legacy) {
        QStringEncoder encoder(c.codec);
        ASSERT_TRUE(encoder.isValid()) << c.codec;
        const QByteArray bytes = "1\r\n00:00:01,000 --> 00:00:02,500\r\n" +
                                 QByteArray(encoder.encode(c.text)) + "\r\n";
        const Captions::Reading r = Captions::readBytes(bytes, kSrt);
        EXPECT_EQ(r.cues, (Cues{{1, 2.5, c.text}})) << c.codec << " read as " << r.encoding.toStdString();
        EXPECT_TRUE(r.encoding.endsWith("(guessed)")) << c.codec;
    }
}

TEST(CaptionFiles, SubRipBlocksMarkupAndBrokenCues)
{
    const QByteArray srt = "1\n"
                           "00:00:01,000 --> 00:00:02,000\n"
                           "<i>Italic</i> and <font color=\"red\">red</font> {\\an8}up\n"
                           "\n"
                           "2\n"
                           "00:00:0x,000 --> 00:00:04,000\n"
                           "Broken timing\n"
                           "\n"
                           "00:00:03,000 --> 00:00:05,000 X1:10 X2:20 Y1:5 Y2:9\n"
                           "No number\n"
                           "  second line  \n"
                           "\n"
                           "-00:00:01,000 --> 00:00:06,000\n"
                           "Negative\n"
                           "\n"
                           "00:00:08,000 --> 00:00:07,000\n"
                           "Backwards\n"
                           "\n"
                           "99999999:00:00,000 --> 99999999:00:01,000\n"
                           "Far away\n"
                           "\n"
                           "7\n"
                           "00:00:04,000 --> 00:00:06,000\n"
                           "Overlaps the third\n"
                           "8\n"
                           "00:00:09,000 --> 00:00:10,000\n"
                           "No blank line before\n"
                           "\n"
                           "9\n"
                           "00:00:11,000 --> 00:00:12,000\n"
                           "\n";
    const Captions::Reading r = Captions::readBytes(srt, QStringLiteral(".SRT"));
    EXPECT_EQ(r.error, QString());
    EXPECT_EQ(r.cues, (Cues{{1, 2, QStringLiteral("Italic and red up")},
                            {3, 5, QStringLiteral("No number\nsecond line")},
                            {4, 6, QStringLiteral("Overlaps the third")},
                            {9, 10, QStringLiteral("No blank line before")}}));
    EXPECT_EQ(r.skipped, 4);
}

TEST(CaptionFiles, WebVttAndAss)
{
    const QByteArray vtt = "WEBVTT - talk\n\n"
                           "NOTE written by hand\n\n"
                           "intro\n"
                           "00:01.000 --> 00:02.000 align:start line:10%\n"
                           "<v Ann><i>Hi</i> &amp; <c.loud>welcome</c></v>\n"
                           "\n"
                           "00:00:0x.000 --> 00:00:04.000\n"
                           "Broken\n"
                           "\n"
                           "01:00:03.500 --> 01:00:04.000\n"
                           "Two\nlines\n";
    Captions::Reading r = Captions::readBytes(vtt, QStringLiteral("vtt"));
    EXPECT_EQ(r.cues, (Cues{{1, 2, QStringLiteral("Hi & welcome")},
                            {3603.5, 3604, QStringLiteral("Two\nlines")}}));
    EXPECT_EQ(r.skipped, 1);

    const QByteArray ass =
        "[Script Info]\nScriptType: v4.00+\n\n[Events]\n"
        "Format: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\n"
        "Dialogue: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,{\\b1}Bold{\\b0}, then\\Nnext\\hword\n"
        "Comment: 0,0:00:01.00,0:00:02.00,Default,,0,0,0,,not shown\n"
        "Dialogue: 0,0:00:0x.00,0:00:02.00,Default,,0,0,0,,broken\n"
        "Dialogue: 0,0:00:05.00,0:00:04.00,Default,,0,0,0,,backwards\n"
        "Dialogue: 0,0:00:06.00,0:00:07.00,Default,,0,0,0,,{\\pos(1,2)}\n"
        // A vector drawing's commands are no words; {\pbo} is no drawing.
        "Dialogue: 0,0:00:08.00,0:00:09.00,Default,,0,0,0,,{\\p1}m 0 0 l 9 0 9 9{\\p0}{\\pbo2}Sign\n"
        "Dialogue: 0,0:00:03.00,0:00:04.00,Default,,0,0,0,,Later {unclosed\n";
    r = Captions::readBytes(ass, QStringLiteral("ass"));
    EXPECT_EQ(r.cues, (Cues{{1, 2, QStringLiteral("Bold, then\nnext word")},
                            {3, 4, QStringLiteral("Later")},
                            {8, 9, QStringLiteral("Sign")}}));
    EXPECT_EQ(r.skipped, 2);
}

TEST(CaptionFiles, NothingUsableAndHostileSizes)
{
    EXPECT_EQ(Captions::readBytes("", kSrt).error, QStringLiteral("This file has no captions."));
    EXPECT_EQ(Captions::readBytes("00:00:02,000 --> 00:00:01,000\nx\n", kSrt).error,
              QStringLiteral("None of the captions in this file could be read."));
    EXPECT_EQ(Captions::readBytes("1\n", QStringLiteral("sub")).error,
              QStringLiteral("Captions are read from .srt, .vtt, .ass and .ssa files."));

    // A megabyte of text in one cue (on one line and on many) is skipped, not shown.
    QByteArray srt = "00:00:01,000 --> 00:00:02,000\n" + QByteArray(1 << 20, 'a') + "\n\n" +
                     "00:00:02,000 --> 00:00:03,000\n" +
                     QByteArray(1 << 20, '\n').replace("\n", "b\n") + "\n" +
                     "00:00:04,000 --> 00:00:05,000\nfine\n";
    srt += "00:00:05,000 --> 00:00:06,000\n" + QByteArray(1001, 'c') + "\n";
    const Captions::Reading r = Captions::readBytes(srt, kSrt);
    EXPECT_EQ(r.cues, (Cues{{4, 5, QStringLiteral("fine")}}));
    EXPECT_EQ(r.skipped, 3);
}

TEST(CaptionFiles, SidecarNaming)
{
    const struct {
        QStringList files;
        const char* found;
    } cases[] = {
        {{"talk.en.srt", "talk.srt"}, "talk.srt"},
        {{"talk.SRT"}, "talk.SRT"},
        {{"talk.fr.srt", "talk.en.srt", "talk.de.vtt"}, "talk.en.srt"},
        {{"talk.en.vtt", "talk.ass"}, "talk.ass"},
        {{"talk.vtt", "talk.ass", "talk.ssa"}, "talk.vtt"},
        {{"talks.srt", "Talk.srt", "talk..srt", "talk.en.srt.txt", "talk.mp4.x"}, ""},
        {{"talk.forced.en.Ass"}, "talk.forced.en.Ass"},
    };
    for (const auto& c : cases) {
        QTemporaryDir dir;
        write(dir.filePath("talk.mp4"), "");
        for (const QString& f : c.files)
            write(dir.filePath(f), "");
        const QString found = *c.found ? dir.filePath(QString::fromUtf8(c.found)) : QString();
        EXPECT_EQ(Captions::sidecarFor(dir.filePath("talk.mp4")), found)
            << c.files.join(' ').toStdString();
    }
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("talk.srt");
    EXPECT_EQ(Captions::sidecarFor(dir.filePath("talk.mp4")), QString()) << "a folder is no file";

    write(dir.filePath("talk.en.srt"), "1\n00:00:00,000 --> 00:00:01,000\nHi\n");
    const Captions::Reading r = Captions::read(
        Captions::Attachment{Captions::sidecarFor(dir.filePath("talk.mp4")), -1}, {});
    EXPECT_EQ(r.cues, (Cues{{0, 1, QStringLiteral("Hi")}}));
    EXPECT_EQ(Captions::readFile(dir.filePath("gone.srt")).error,
              QStringLiteral("The subtitle file “gone.srt” could not be opened."));
}

TEST(CaptionFiles, TracksInsideVideos)
{
    const QString mkv = testutil::fixture("captions_tracks.mkv");
    const QList<Captions::Track> tracks = Captions::tracksIn(mkv);
    ASSERT_EQ(tracks.size(), 3);
    const auto expect = [](const Captions::Track& t, int stream, const char* title,
                           const char* language, const char* format, const char* reason) {
        EXPECT_EQ(t.stream, stream);
        EXPECT_EQ(t.title, QString::fromUtf8(title));
        EXPECT_EQ(t.language, QString::fromUtf8(language));
        EXPECT_EQ(t.format, QString::fromUtf8(format));
        EXPECT_EQ(t.usable, !*reason);
        EXPECT_EQ(t.reason, QString::fromUtf8(reason));
    };
    expect(tracks[0], 1, "English", "eng", "SubRip", "");
    expect(tracks[1], 2, "", "fra", "ASS", "");
    expect(tracks[2], 3, "", "", "DVD",
           "Picture subtitles (DVD): their captions are images, not text");

    const Cues srt{{0.5, 1.5, QStringLiteral("Hello there")},
                   {2, 3, QStringLiteral("Second\nline")}};
    EXPECT_EQ(Captions::readTrack(mkv, 1).cues, srt);
    EXPECT_EQ(Captions::read(Captions::Attachment{{}, 2}, mkv).cues,
              (Cues{{1, 2.5, QStringLiteral("Styled\nwords")}}));
    EXPECT_EQ(Captions::readTrack(mkv, 3).error,
              QStringLiteral("Picture subtitles (DVD): their captions are images, not text."));
    EXPECT_EQ(Captions::readTrack(mkv, 0).error,
              QStringLiteral("The video's subtitle track could not be found."));

    const QString mp4 = testutil::fixture("captions_movtext.mp4");
    ASSERT_EQ(Captions::tracksIn(mp4).size(), 1);
    EXPECT_EQ(Captions::tracksIn(mp4)[0].format, QStringLiteral("MP4 timed text"));
    const Captions::Reading r = Captions::readTrack(mp4, 1);
    EXPECT_EQ(r.error, QString());
    EXPECT_EQ(r.cues, srt);
    EXPECT_TRUE(Captions::tracksIn(testutil::fixture("h264_aac.mp4")).isEmpty());
}
