// Captions: attaching a video's subtitles, reading them off the main thread,
// and each clip's switch, look and height.
#include "media/captionfiles.h"
#include "platform/services.h"
#include "store/store.h"

#include <QCoroFuture>
#include <QFileInfo>
#include <QPointer>
#include <QtConcurrent>
#include <algorithm>

namespace {
struct Read {
    QList<Captions::Track> tracks;
    Captions::Reading reading;
};

// What the user is told about an attachment that was read.
QString readingNote(const QString& name, const Captions::Reading& reading)
{
    if (!reading.error.isEmpty())
        return reading.error;
    if (reading.skipped == 0)
        return {};
    return QStringLiteral("%1: %2 caption%3 could not be read; the other %4 are attached.")
        .arg(name)
        .arg(reading.skipped)
        .arg(reading.skipped == 1 ? QString() : QStringLiteral("s"))
        .arg(reading.cues.size());
}
}  // namespace

QCoro::Task<QString> CWStore::readCaptions(QUuid id)
{
    const QPointer<CWStore> self(this);
    const auto find = [this, id] {
        return std::find_if(sources_.begin(), sources_.end(),
                            [&](const CWSource& s) { return s.id == id; });
    };
    for (;;) {
        const auto at = find();
        if (at == sources_.end())
            co_return QString();
        const Captions::Attachment attachment = at->captions;
        const QString video = at->media.original;
        QFuture<Read> reading = QtConcurrent::run([attachment, video] {
            Read read;
            read.tracks = Captions::tracksIn(video);
            if (!attachment.isEmpty())
                read.reading = Captions::read(attachment, video);
            return read;
        });
        // Named, not a temporary inside co_await (GCC 12).
        const Read read = co_await reading;
        if (!self)
            co_return QString();
        const auto now = find();
        if (now == sources_.end())
            co_return QString();
        // Attached elsewhere meanwhile: that one is what counts.
        if (now->captions != attachment)
            continue;

        std::shared_ptr<const Captions::Cues> cues;
        if (!attachment.isEmpty() && read.reading.error.isEmpty())
            cues = std::make_shared<const Captions::Cues>(read.reading.cues);
        const QString name = attachment.file.isEmpty()
                                 ? QStringLiteral("The subtitle track")
                                 : QFileInfo(attachment.file).fileName();
        const QString problem = attachment.isEmpty() ? QString() : readingNote(name, read.reading);
        // What is read belongs to the attachment wherever undo keeps it.
        const auto take = [&](CWSource& s) {
            s.tracks = read.tracks;
            if (s.captions == attachment) {
                s.cues = cues;
                s.captionsProblem = cues ? QString() : problem;
            }
        };
        take(*now);
        history_.updateStates([&](CWHistory::State& state) {
            for (CWSource& s : state.sources) {
                if (s.id == id)
                    take(s);
            }
        });
        emit changed(Field::sources);
        co_return problem;
    }
}

void CWStore::attachCaptions(Captions::Attachment attachment)
{
    // By index: the history's copy of the list shares it until willChange,
    // and an iterator taken before would write into that copy too.
    const qsizetype index = std::find_if(sources_.cbegin(), sources_.cend(),
                                         [&](const CWSource& s) {
                                             return s.id == currentSourceID_;
                                         }) -
                            sources_.cbegin();
    if (index >= sources_.size() || sources_.at(index).captions == attachment)
        return;
    const QUuid id = sources_.at(index).id;
    {
        const Step step(this, {attachment.isEmpty() ? QStringLiteral("Detach Captions")
                                                    : QStringLiteral("Attach Captions"),
                               QString(), CWHistory::Joining::never});
        willChange();
        CWSource& source = sources_[index];
        source.captions = attachment;
        source.cues = nullptr;
        source.captionsProblem.clear();
        emit changed(Field::sources);
        save();
    }
    if (attachment.isEmpty())
        return;
    const QPointer<CWStore> self(this);
    [](QPointer<CWStore> store, QUuid source) -> QCoro::Task<> {
        const QString problem = co_await store->readCaptions(source);
        if (store && !problem.isEmpty())
            store->setNote(problem);
    }(self, id);
}

void CWStore::chooseCaptionsFile()
{
    const CWSource* source = current();
    if (!source)
        return;
    const QFileInfo video(source->media.original);
    const std::optional<QString> file = services_->chooseSubtitles(
        QStringLiteral("Choose the captions for ") + video.fileName(), video.absolutePath());
    if (file)
        attachCaptions({QFileInfo(*file).absoluteFilePath(), -1});
}

void CWStore::changeCaptions(const QString& label, const std::function<void(Clip&)>& change)
{
    // Raising in small steps, key held or button pressed again, is one step;
    // the switch and the look are a step each time.
    const bool moving = label == QLatin1String("Move Captions");
    const qsizetype i = selectedClipID_ ? indexOfClip(*selectedClipID_) : -1;
    if (i < 0) {
        alertSound();
        return;
    }
    const Step step(this, {label, moving ? label + selectedClipID_->toString() : QString(),
                           moving ? CWHistory::Joining::burst : CWHistory::Joining::never});
    updateClip(i, change);
}

void CWStore::setClipCaptions(bool on)
{
    changeCaptions(on ? QStringLiteral("Show Captions") : QStringLiteral("Hide Captions"),
                   [on](Clip& c) { c.captions = on; });
}

void CWStore::setCaptionLook(Captions::Look look)
{
    changeCaptions(QStringLiteral("Caption Look"),
                   [look](Clip& c) { c.captionStyle.look = look; });
}

void CWStore::raiseCaptions(double by)
{
    changeCaptions(QStringLiteral("Move Captions"), [by](Clip& c) {
        c.captionStyle.raise =
            std::clamp(c.captionStyle.raise + by, -Captions::kMostRaise, Captions::kMostRaise);
    });
}
