#include "store/store.h"

#include "platform/player.h"
#include "platform/services.h"

#include <QSettings>

namespace {
const char* const audioLevelKey = "mwso.cw.audioLevel";
}  // namespace

CWStore::CWStore(Player* player, CWServices* services, QObject* parent)
    : QObject(parent), player_(player), services_(services ? services : new CWDesktopServices)
{
    player_->setParent(this);
    observer_ = new QTimer(this);
    observer_->setTimerType(Qt::PreciseTimer);
    observer_->setInterval(1000 / 30);
    connect(observer_, &QTimer::timeout, this, &CWStore::observeTime);
    observer_->start();
    saveThrottle_ = new QTimer(this);
    saveThrottle_->setSingleShot(true);
    saveThrottle_->setInterval(500);
    connect(saveThrottle_, &QTimer::timeout, this, [this] {
        if (std::exchange(savePending_, false))
            writeSessionAside();
    });
    sessionWriter_.setMaxThreadCount(1);
    audioLevel_ = audioLevelFromRaw(QSettings().value(QLatin1String(audioLevelKey)).toString());
}

CWStore::~CWStore()
{
    if (savePending_)
        writeSession();
    delete services_;
}

namespace {
// A working-frame change joins the steps of the same kind on the same clip.
CWHistory::Change frameChange(const QString& label, const QString& kind,
                              const std::optional<QUuid>& clip)
{
    return {label, kind + (clip ? clip->toString() : QString()), CWHistory::Joining::burst};
}
}  // namespace

void CWStore::setSelectedClipID(std::optional<QUuid> id)
{
    // A run of typing or nudging belongs to one clip.
    if (id != selectedClipID_)
        history_.endRun();
    assign(selectedClipID_, id, Field::selectedClipID);
}

void CWStore::setTrimFocus(std::optional<int> focus)
{
    assign(trimFocus_, focus, Field::trimFocus);
}

void CWStore::setAspect(Aspect aspect)
{
    const Step step(this, frameChange(QStringLiteral("Set Aspect"), QStringLiteral("aspect "),
                                      selectedClipID_));
    assign(aspect_, aspect, Field::aspect);
    // Only the shape: the frame, moving or not, stays where it is.
    const qsizetype i = selectedClipID_ ? indexOfClip(*selectedClipID_) : -1;
    if (!loading_ && i >= 0 && clips_[i].aspect != aspect)
        updateClip(i, [aspect](Clip& c) { c.aspect = aspect; });
}

void CWStore::setZoom(double zoom)
{
    const Step step(this,
                    frameChange(QStringLiteral("Zoom"), QStringLiteral("zoom "), selectedClipID_));
    assign(zoom_, zoom, Field::zoom);
    applyFrame();
}

void CWStore::setCenterX(double x)
{
    const Step step(
        this, frameChange(QStringLiteral("Move Frame"), QStringLiteral("move "), selectedClipID_));
    assign(centerX_, x, Field::centerX);
    applyFrame();
}

void CWStore::setCenterY(double y)
{
    const Step step(
        this, frameChange(QStringLiteral("Move Frame"), QStringLiteral("move "), selectedClipID_));
    assign(centerY_, y, Field::centerY);
    applyFrame();
}

void CWStore::setShortSide(int side)
{
    assign(shortSide_, side, Field::shortSide);
}

void CWStore::setAudioLevel(AudioLevel level)
{
    QSettings().setValue(QLatin1String(audioLevelKey), rawValue(level));
    assign(audioLevel_, level, Field::audioLevel);
}

void CWStore::setClips(QList<Clip> clips)
{
    willChange();
    clips_ = std::move(clips);
    clipsDidChange();
}

void CWStore::clipsDidChange()
{
    emit changed(Field::clips);
    save();
}

void CWStore::setNote(const QString& note)
{
    assign(note_, std::optional<QString>(note), Field::note);
}

const CWSource* CWStore::current() const
{
    if (!currentSourceID_)
        return nullptr;
    for (const CWSource& s : sources_) {
        if (s.id == *currentSourceID_)
            return &s;
    }
    return nullptr;
}

const Clip* CWStore::selectedClip() const
{
    const qsizetype i = selectedClipID_ ? indexOfClip(*selectedClipID_) : -1;
    return i < 0 ? nullptr : &clips_[i];
}

QList<Clip> CWStore::clipsOf(const QUuid& sourceID) const
{
    QList<Clip> list;
    for (const Clip& c : clips_) {
        if (c.sourceID == sourceID)
            list.append(c);
    }
    return list;
}

qsizetype CWStore::indexOfClip(const QUuid& id) const
{
    for (qsizetype i = 0; i < clips_.size(); ++i) {
        if (clips_[i].id == id)
            return i;
    }
    return -1;
}

double CWStore::currentDuration() const
{
    const CWSource* s = current();
    return s ? s->media.duration : 0.0;
}

double CWStore::currentFrameRate() const
{
    const CWSource* s = current();
    return s ? double(s->media.nominalFrameRate) : 30.0;
}
