#include "media/captionfiles.h"

#include "media/captiontext.h"
#include "platform/subtitledecoder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <array>
#include <cmath>
#include <tuple>

namespace {

constexpr std::array<QLatin1StringView, 4> kSidecarExtensions = {
    QLatin1StringView(".srt"), QLatin1StringView(".vtt"), QLatin1StringView(".ass"),
    QLatin1StringView(".ssa")};

// A decoded event's text can hold markup worth thousands of characters
// around a short caption; anything far past that is not a caption.
constexpr int kLongestPacket = 64 * 1024;

SubtitleDecoder::Limits limits()
{
    return {Captions::kMostCues, kLongestPacket};
}

// libav's demuxer for a subtitle file's extension; null for one it is not.
const char* demuxerFor(QString extension)
{
    if (extension.startsWith(u'.'))
        extension.remove(0, 1);
    extension = extension.toLower();
    if (extension == QLatin1String("srt"))
        return "srt";
    if (extension == QLatin1String("vtt"))
        return "webvtt";
    if (extension == QLatin1String("ass") || extension == QLatin1String("ssa"))
        return "ass";
    return nullptr;
}

Captions::Reading failed(const QString& message)
{
    Captions::Reading r;
    r.error = message;
    return r;
}

// The decoded events as cues: out-of-range times and overlong texts are
// counted as skipped, events without words are left out.
void takeEvents(const SubtitleDecoder::Events& events, Captions::Reading& r)
{
    r.skipped += events.unreadable;
    for (const SubtitleDecoder::Event& e : events.events) {
        if (!std::isfinite(e.start) || !std::isfinite(e.end) || e.start < 0 || e.end <= e.start ||
            e.end > Captions::kLatestTime) {
            ++r.skipped;
            continue;
        }
        QString text = CaptionText::plain(e.text);
        if (text.isEmpty())
            continue;
        if (text.size() > Captions::kLongestText) {
            ++r.skipped;
            continue;
        }
        r.cues.push_back({e.start, e.end, std::move(text)});
    }
}

void requireCues(Captions::Reading& r, const QString& where)
{
    if (!r.cues.empty() || !r.error.isEmpty())
        return;
    r.error = r.skipped > 0
                  ? QStringLiteral("None of the captions in this %1 could be read.").arg(where)
                  : QStringLiteral("This %1 has no captions.").arg(where);
}

}  // namespace

QString Captions::sidecarFor(const QString& videoPath)
{
    const QFileInfo video(videoPath);
    const QString base = video.completeBaseName();
    if (base.isEmpty())
        return {};
    const QDir dir = video.absoluteDir();
    // Ordered by (tagged, extension, name): "talk.srt" before "talk.en.srt".
    std::tuple<bool, size_t, QString> best;
    bool found = false;
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden, QDir::NoSort)) {
        if (!name.startsWith(base))
            continue;
        for (size_t k = 0; k < kSidecarExtensions.size(); ++k) {
            const QLatin1StringView ext = kSidecarExtensions[k];
            if (name.size() < base.size() + ext.size() || !name.endsWith(ext, Qt::CaseInsensitive))
                continue;
            const QStringView between =
                QStringView(name).sliced(base.size(), name.size() - base.size() - ext.size());
            if (!between.isEmpty() && (between.size() < 2 || between[0] != u'.'))
                continue;
            const auto candidate = std::make_tuple(!between.isEmpty(), k, name);
            if (!found || candidate < best)
                best = candidate;
            found = true;
        }
    }
    return found ? dir.filePath(std::get<2>(best)) : QString();
}

QList<Captions::Track> Captions::tracksIn(const QString& videoPath)
{
    static constexpr std::array<std::pair<const char*, const char*>, 10> kFormats = {{
        {"subrip", "SubRip"},
        {"webvtt", "WebVTT"},
        {"ass", "ASS"},
        {"ssa", "SSA"},
        {"mov_text", "MP4 timed text"},
        {"text", "Plain text"},
        {"dvd_subtitle", "DVD"},
        {"hdmv_pgs_subtitle", "Blu-ray"},
        {"dvb_subtitle", "DVB"},
        {"xsub", "XSUB"},
    }};
    QList<Track> tracks;
    for (const SubtitleDecoder::Stream& s : SubtitleDecoder::subtitleStreams(videoPath).streams) {
        Track t;
        t.stream = s.index;
        t.title = s.title;
        t.language = s.language == QLatin1String("und") ? QString() : s.language;
        t.format = s.description;
        for (const auto& [codec, words] : kFormats) {
            if (s.codec == QLatin1String(codec))
                t.format = QLatin1String(words);
        }
        t.usable = s.text && s.decodable;
        if (s.pictures)
            t.reason = QStringLiteral("Picture subtitles (%1): their captions are images, not text")
                           .arg(t.format);
        else if (!t.usable)
            t.reason =
                QStringLiteral("Cutwright can't read subtitles of this kind (%1)").arg(t.format);
        tracks.append(t);
    }
    return tracks;
}

Captions::Reading Captions::readBytes(const QByteArray& bytes, const QString& extension)
{
    const char* demuxer = demuxerFor(extension);
    if (!demuxer)
        return failed(QStringLiteral("Captions are read from .srt, .vtt, .ass and .ssa files."));
    if (bytes.size() > kLargestFile)
        return failed(
            QStringLiteral("This subtitle file is too large to be captions (over 64 MB)."));
    Reading r;
    const QByteArray text = CaptionText::decode(bytes, &r.encoding);
    const CaptionText::Blocks blocks =
        qstrcmp(demuxer, "ass") == 0
            ? CaptionText::readableDialogues(text, kMostCues, kLongestPacket, kLatestTime)
            : CaptionText::timedBlocks(text, qstrcmp(demuxer, "webvtt") == 0, kMostCues,
                                       kLongestPacket, kLatestTime);
    r.skipped += blocks.skipped;
    const SubtitleDecoder::Events events =
        SubtitleDecoder::fromText(blocks.utf8, demuxer, limits());
    // Whatever the demuxer still could not make a caption of.
    r.skipped += std::max(0, blocks.count - events.packets);
    if (!events.error.isEmpty())
        return failed(QStringLiteral("This subtitle file could not be read."));
    takeEvents(events, r);
    requireCues(r, QStringLiteral("file"));
    return r;
}

Captions::Reading Captions::readFile(const QString& path)
{
    QFile file(path);
    // Only a plain file: reading a pipe or a device could wait for ever.
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return failed(QStringLiteral("The subtitle file “%1” could not be opened.")
                          .arg(QFileInfo(path).fileName()));
    if (file.size() > kLargestFile)
        return failed(
            QStringLiteral("This subtitle file is too large to be captions (over 64 MB)."));
    // Read one byte past the limit: a file that grew since its size was taken is refused too.
    const QByteArray bytes = file.read(kLargestFile + 1);
    return readBytes(bytes, QFileInfo(path).suffix());
}

Captions::Reading Captions::readTrack(const QString& videoPath, int stream)
{
    const QList<Track> tracks = tracksIn(videoPath);
    const auto track = std::find_if(tracks.begin(), tracks.end(),
                                    [stream](const Track& t) { return t.stream == stream; });
    if (track == tracks.end())
        return failed(QStringLiteral("The video's subtitle track could not be found."));
    if (!track->usable)
        return failed(track->reason + u'.');
    Reading r;
    r.encoding = QStringLiteral("UTF-8");  // what libav's text decoders give
    const SubtitleDecoder::Events events = SubtitleDecoder::fromStream(videoPath, stream, limits());
    if (!events.error.isEmpty())
        return failed(QStringLiteral("The video's subtitle track could not be read."));
    takeEvents(events, r);
    requireCues(r, QStringLiteral("subtitle track"));
    return r;
}

Captions::Reading Captions::read(const Attachment& attachment, const QString& videoPath)
{
    if (!attachment.file.isEmpty())
        return readFile(attachment.file);
    if (attachment.track >= 0)
        return readTrack(videoPath, attachment.track);
    return failed(QStringLiteral("No captions are attached to this video."));
}
