#include "media/opener.h"

#include "media/container.h"
#include "media/opener_worker.h"
#include "media/rawname.h"
#include "model/mwerror.h"
#include "model/nametext.h"
#include "platform/asset.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QPromise>
#include <QRectF>
#include <QStandardPaths>
#include <charconv>
#include <cmath>
#include <sys/stat.h>

namespace MWMediaOpener {

namespace {

QString quoted(const QString& name)
{
    return u'“' + name + u'”';
}

// Steps that only look at the user's file: readable, not empty, which kind.
MWContainer examine(const QString& path, const QString& name)
{
    const QFileInfo info(path);
    if (!info.isReadable()) {
        // The permission advice would send the user looking in the wrong place.
        if (const std::optional<RawName> raw = undecodableName(path)) {
            const QString why = QStringLiteral(
                " isn't valid UTF-8 text (it may come from an old Windows share or an archive).");
            if (raw->isFile)
                throw MWError(quoted(name) + QStringLiteral(" can't be opened because its name") +
                              why + QStringLiteral(" Rename the file, then import it again."));
            throw MWError(quoted(name) +
                          QStringLiteral(" can't be opened because the name of the folder ") +
                          quoted(raw->name) + QStringLiteral(" that holds it") + why +
                          QStringLiteral(" Rename the folder, then import the file again."));
        }
        throw MWError(quoted(name) + QStringLiteral(" can't be read. Check that the drive is "
                                                    "connected and that you have permission to "
                                                    "open it."));
    }
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || st.st_size <= 0)
        throw MWError(quoted(name) + QStringLiteral(" is empty (0 bytes)."));
    return sniff(path);
}

bool exists(const QString& path)
{
    return QFileInfo::exists(path);
}

// One open's turn at writing one cached copy. Opens of files that share a
// cache name take turns; whoever comes later waits for the earlier turn to end
// and learns whether it failed. Only the main thread touches the table.
struct CacheTurn {
    QPromise<void> ended;
    std::optional<QString> failure;
    bool wantVideo = true;
};

QHash<QString, std::shared_ptr<CacheTurn>>& turns()
{
    static QHash<QString, std::shared_ptr<CacheTurn>> table;
    return table;
}

// Holds the turn for out until destroyed, whichever way the open ends.
class TurnHolder {
public:
    TurnHolder(QString out, bool wantVideo) : out_(std::move(out)), turn_(new CacheTurn)
    {
        turn_->wantVideo = wantVideo;
        turn_->ended.start();
        turns().insert(out_, turn_);
    }
    ~TurnHolder()
    {
        if (turns().value(out_) == turn_)
            turns().remove(out_);
        turn_->ended.finish();
    }
    TurnHolder(const TurnHolder&) = delete;
    TurnHolder& operator=(const TurnHolder&) = delete;

    void failed(const QString& message) { turn_->failure = message; }

private:
    QString out_;
    std::shared_ptr<CacheTurn> turn_;
};

}  // namespace

QCoro::Task<MWOpenedMedia> open(QString path, bool wantVideo, MWStatus status)
{
    const QString name = QFileInfo(path).fileName();
    const auto look = [path, name] { return examine(path, name); };
    const MWContainer kind = co_await onWorker(look);
    const bool convert = mustConvert(kind);
    const QString raw = rawValue(kind);

    if (!convert) {
        bool audioOnly = false;
        try {
            co_return co_await inspect(path, path, false, std::nullopt, wantVideo);
        } catch (const MWError& e) {
            audioOnly = e.message == QLatin1String("no video");
        }
        if (audioOnly)
            throw MWError(quoted(name) + QStringLiteral(" has no picture — it's an audio file. "
                                                        "This app needs a video file."));
    }

    const QString what =
        kind == MWContainer::unknown ? QStringLiteral("this file") : QStringLiteral("this ") + raw;
    const auto locate = [path] { return cacheFolder() + QLatin1Char('/') + cacheName(path); };
    const QString out = co_await onWorker(locate);
    const auto present = [out] { return exists(out); };
    const auto remove = [out] { QFile::remove(out); };
    const auto converterPresent = [] { return converterURL().has_value(); };

    // Two opens writing one copy at once would corrupt it: wait for any open
    // already working on this copy, then reuse what it made.
    while (const std::shared_ptr<CacheTurn> earlier = turns().value(out)) {
        co_await earlier->ended.future();
        if (earlier->failure && earlier->wantVideo == wantVideo)
            throw MWError(*earlier->failure);
    }
    TurnHolder turn(out, wantVideo);

    if (co_await onWorker(present)) {
        try {
            co_return co_await inspect(out, path, true,
                                       QStringLiteral("Converted copy (from ") + raw +
                                           QStringLiteral(") re-used."),
                                       wantVideo);
        } catch (const MWError&) {
            // An unusable copy is made again below.
        }
    }
    // Also clears a link whose target has gone.
    co_await onWorker(remove);

    if (status)
        status(QStringLiteral("Converting ") + what + QStringLiteral(" so Linux can play it…"),
               0.0);

    QString detail;
    if (!convert) {
        try {
            co_await remuxByStreamCopy(path, out, status);
        } catch (const MWError& e) {
            detail = e.message;
        }
    }
    if (!co_await onWorker(present)) {
        if (!co_await onWorker(converterPresent)) {
            detail = QStringLiteral("The built-in converter is missing from this copy of the app.");
        } else {
            try {
                co_await convertWithBuiltIn(path, out, wantVideo, status);
            } catch (const MWError& e) {
                detail = e.message;
            }
        }
    }
    if (co_await onWorker(present)) {
        try {
            co_return co_await inspect(out, path, true,
                                       QStringLiteral("Converted from ") + raw +
                                           QStringLiteral(" for playback. Your original file "
                                                          "is untouched."),
                                       wantVideo);
        } catch (const MWError&) {
        }
    }

    co_await onWorker(remove);
    QString message = quoted(name) +
                      QStringLiteral(" couldn't be opened. It may be damaged, protected (DRM) or "
                                     "in a format this app can't read (") +
                      raw + QStringLiteral(").");
    if (!detail.isEmpty())
        message += QStringLiteral("\n\nDetails: ") + detail;
    turn.failed(message);
    throw MWError(message);
}

QCoro::Task<MWOpenedMedia> inspect(QString path, QString original, bool converted,
                                   std::optional<QString> note, bool wantVideo)
{
    const auto load = [path] { return MWAsset::open(path); };
    const auto asset = co_await onWorker(load);
    co_return inspected(asset, original, converted, note, wantVideo);
}

MWOpenedMedia inspected(std::shared_ptr<const MWAsset> asset, const QString& original,
                        bool converted, const std::optional<QString>& note, bool wantVideo)
{
    const QString notReadable = QStringLiteral("not readable");
    const double seconds = asset->duration;
    if (!asset->readable || !std::isfinite(seconds) || !(seconds > 0))
        throw MWError(notReadable);

    MWOpenedMedia media;
    media.original = original;
    media.playable = asset->path;
    media.duration = seconds;
    media.converted = converted;
    media.note = note;
    media.hasAudio = asset->audioTracks > 0;

    if (asset->videoTracks == 0) {
        if (asset->audioTracks == 0)
            throw MWError(notReadable);
        if (wantVideo)
            throw MWError(QStringLiteral("no video"));
        media.naturalSize = QSizeF(0, 0);
        media.nominalFrameRate = 30;
        media.asset = std::move(asset);
        return media;
    }
    // A picture nobody can decode sends the file on to conversion.
    if (wantVideo && !asset->playable)
        throw MWError(notReadable);

    const QRectF shown =
        asset->preferredTransform.mapRect(QRectF(QPointF(0, 0), asset->naturalSize));
    const double width = std::abs(shown.width());
    const double height = std::abs(shown.height());
    if (!(width >= 2) || !(height >= 2))
        throw MWError(QStringLiteral("bad video size"));

    media.hasVideo = true;
    media.naturalSize = QSizeF(width, height);
    media.preferredTransform = asset->preferredTransform;
    media.nominalFrameRate = asset->nominalFrameRate > 0 ? asset->nominalFrameRate : 30;
    media.asset = std::move(asset);
    return media;
}

QString cacheFolder()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                           QStringLiteral("/Marrowick/Cutwright/Converted");
    QDir().mkpath(folder);
    return folder;
}

QString cacheKey(const QString& path)
{
    qint64 size = 0;
    double mtime = 0;
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) == 0) {
        size = st.st_size;
        mtime = double(st.st_mtim.tv_sec) + double(st.st_mtim.tv_nsec) / 1e9;
    }
    return QFileInfo(path).absoluteFilePath() + QLatin1Char('|') + QString::number(size) +
           QLatin1Char('|') + shortestDecimal(mtime);
}

QString cacheName(const QString& path)
{
    QString base = QFileInfo(path).fileName();
    if (const qsizetype dot = base.lastIndexOf(QLatin1Char('.')); dot > 0)
        base.truncate(dot);
    // Forty characters can outgrow the file system's limit (a Mac-made Korean
    // name holds 9 bytes a syllable): leave room for "-", the widest hash and ".mov".
    const qsizetype room = NameText::kNameMax - qsizetype(sizeof "-0123456789abcdef.mov" - 1);
    return NameText::fitBytes(NameText::firstCharacters(base, 40), room) + QLatin1Char('-') +
           QString::number(fnv1a64(cacheKey(path).toUtf8()), 16) + QStringLiteral(".mov");
}

QString shortestDecimal(double value)
{
    char text[400];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
    QString out = QString::fromLatin1(text, result.ptr - text);
    if (std::isfinite(value) && !out.contains(QLatin1Char('.')))
        out += QStringLiteral(".0");
    return out;
}

quint64 fnv1a64(const QByteArray& bytes)
{
    quint64 h = 0xCBF29CE484222325ULL;
    for (const char c : bytes) {
        h ^= quint8(c);
        h *= 0x100000001B3ULL;
    }
    return h;
}

}  // namespace MWMediaOpener
