#include "views/timelinehandle.h"

#include "model/mwtime.h"
#include "theme/mwui.h"
#include "views/timelineaccess.h"
#include "views/timelinegeometry.h"

#include <QAccessible>
#include <QEvent>
#include <QKeyEvent>
#include <algorithm>

CWTrimHandle::CWTrimHandle(CWStore* store, QWidget* track, bool in)
    : QWidget(track), store_(store), track_(track), in_(in)
{
    CWTimelineAccess::install();
    // Every press goes to the track's drag, as before.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::TabFocus);
    // The key monitor leaves the arrows to a focused handle; all else goes to it.
    setProperty("cwTakesKeys", QVariantList{Qt::Key_Left, Qt::Key_Right});
    track->installEventFilter(this);
    connect(store, &CWStore::changed, this, &CWTrimHandle::storeChanged);
    connect(MWUI::shared(), &MWUI::changed, this, &CWTrimHandle::place);
    setAccessibleName(spokenName());
    place();
}

double CWTrimHandle::value() const
{
    return !store_ ? 0 : in_ ? store_->inMark() : store_->outMark();
}

double CWTrimHandle::maximum() const
{
    const CWSource* source = store_ ? store_->current() : nullptr;
    return source ? std::max(source->media.duration, 0.0) : 0;
}

double CWTrimHandle::step() const
{
    const CWSource* source = store_ ? store_->current() : nullptr;
    return 1.0 / std::max(source ? double(source->media.nominalFrameRate) : 0.0, 1.0);
}

void CWTrimHandle::setValue(double seconds)
{
    if (!store_ || !store_->current())
        return;
    takeArrows();
    if (in_)
        store_->setIn(seconds);
    else
        store_->setOut(seconds);
    store_->seek(value());
}

bool CWTrimHandle::holdsArrows() const
{
    return store_ && store_->trimFocus() == (in_ ? 0 : 1);
}

QString CWTrimHandle::spokenName() const
{
    return (in_ ? tr("In point %1") : tr("Out point %1")).arg(MWTime::clock(value(), true));
}

void CWTrimHandle::takeArrows()
{
    if (store_ && !holdsArrows())
        store_->setTrimFocus(in_ ? 0 : 1);
}

void CWTrimHandle::storeChanged(CWStore::Field field)
{
    using F = CWStore::Field;
    switch (field) {
    case F::inMark:
    case F::outMark:
    case F::sources:
    case F::currentSourceID: {
        const QString name = spokenName();
        if (name != accessibleName()) {
            setAccessibleName(name);
            QAccessibleValueChangeEvent event(this, value());
            QAccessible::updateAccessibility(&event);
        }
        place();
        break;
    }
    case F::trimFocus: {
        setAccessibleDescription(holdsArrows() ? tr("The arrow keys move this point") : QString());
        QAccessible::State state;
        state.selected = true;
        QAccessibleStateChangeEvent event(this, state);
        QAccessible::updateAccessibility(&event);
        break;
    }
    default:
        break;
    }
}

void CWTrimHandle::place()
{
    const CWSource* source = store_ ? store_->current() : nullptr;
    // Only while the track draws handles: nothing to reach without a source.
    setVisible(source != nullptr);
    if (!source)
        return;
    const double z = MWUI::shared()->zoom();
    const TrimMath::Track t = TimelineGeometry::track(track_->width(), source->media.duration, z);
    setGeometry(
        TimelineGeometry::handleRect(in_, t.x(value()), track_->height(), z).toAlignedRect());
}

bool CWTrimHandle::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == track_ && event->type() == QEvent::Resize)
        place();
    return QWidget::eventFilter(watched, event);
}

void CWTrimHandle::keyPressEvent(QKeyEvent* event)
{
    if (!store_ || (event->key() != Qt::Key_Left && event->key() != Qt::Key_Right)) {
        QWidget::keyPressEvent(event);
        return;
    }
    nudge((event->key() == Qt::Key_Left ? -1 : 1) *
          (event->modifiers() & Qt::ShiftModifier ? 10 : 1));
}

void CWTrimHandle::nudge(int frames)
{
    if (!store_)
        return;
    takeArrows();
    store_->nudgeTrim(frames);
}

void CWTrimHandle::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    takeArrows();
}
