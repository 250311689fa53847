#include "views/positionpad.h"

#include "store/store.h"
#include "theme/access.h"
#include "theme/mwui.h"
#include "views/viewaccess.h"
#include "views/viewkit.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace {
QColor withAlpha(QColor colour, double alpha)
{
    colour.setAlphaF(float(alpha));
    return colour;
}
}  // namespace

CWPositionPad::CWPositionPad(CWStore* store, QWidget* parent) : QWidget(parent), store_(store)
{
    setCursor(Qt::CrossCursor);
    setToolTip(tr("Click or drag to place the frame"));
    cwPadAccessibility();
    setAccessibleName(tr("Position"));
    connect(store_, &CWStore::changed, this, [this](CWStore::Field field) {
        if (field == CWStore::Field::centerX || field == CWStore::Field::centerY) {
            update();
            mwAccessibleChanged(this, QAccessible::DescriptionChanged);
        }
    });
    connect(MWUI::shared(), &MWUI::changed, this, &CWPositionPad::restyle);
    restyle();
}

double CWPositionPad::side()
{
    return 86 * MWUI::shared()->zoom();
}

QSize CWPositionPad::sizeHint() const
{
    const int s = qRound(side());
    return {s, s};
}

void CWPositionPad::restyle()
{
    setFixedSize(sizeHint());
    update();
}

QPointF CWPositionPad::dotCentre() const
{
    const double s = side();
    return {s * store_->centerX(), s * store_->centerY()};
}

CropFrame::Input CWPositionPad::input() const
{
    return CWViewKit::frameInput(*store_);
}

void CWPositionPad::paintEvent(QPaintEvent*)
{
    const MWTheme& t = MWUI::shared()->theme();
    const double z = MWUI::shared()->zoom();
    const double s = side();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);

    // The well, its rim stroked inside its bounds.
    const QRectF well(0, 0, s, s);
    QLinearGradient rim(well.topLeft(), well.bottomLeft());
    rim.setColorAt(0, withAlpha(t.metalHi, 0.95));
    rim.setColorAt(0.5, withAlpha(t.metalMid, 0.6));
    rim.setColorAt(1, withAlpha(t.metalLo, 0.8));
    p.setPen(QPen(QBrush(rim), 1));
    p.setBrush(t.well);
    const double radius = 10 * z;
    p.drawRoundedRect(well.adjusted(0.5, 0.5, -0.5, -0.5), radius - 0.5, radius - 0.5);

    p.setPen(QPen(t.metalLo, 1));
    p.drawLine(QPointF(s / 2, 4), QPointF(s / 2, s - 4));
    p.drawLine(QPointF(4, s / 2), QPointF(s - 4, s / 2));

    // The dot with its glow, the glow fading out over 4 points past its edge.
    const QPointF centre = dotCentre();
    const double r = 7 * z;
    const double reach = r + 4;
    QRadialGradient glow(centre, reach);
    glow.setColorAt(0, withAlpha(t.accent, 0.9));
    glow.setColorAt(r / reach, withAlpha(t.accent, 0.7));
    glow.setColorAt(1, withAlpha(t.accent, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(centre, reach, reach);
    const QRectF dot(centre.x() - r, centre.y() - r, 2 * r, 2 * r);
    p.setBrush(MWTheme::vertical(dot, t.chrome()));
    p.setPen(QPen(withAlpha(t.metalLo, 0.9), 0.75));
    p.drawEllipse(dot);
}

void CWPositionPad::moveTo(QPointF location)
{
    const double s = side();
    const auto centre = CropFrame::clampedCentre(input(), {location.x() / s, location.y() / s});
    if (!centre)
        return;  // no picture: there is no frame to move
    store_->setCenterX(centre->x());
    store_->setCenterY(centre->y());
}

void CWPositionPad::place(QPointF wanted)
{
    const CWStore::SaveHold hold(store_);  // the two halves saved as one change
    moveTo(wanted * side());
}

void CWPositionPad::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    endDrag();  // a release that never came ends here
    dragging_ = true;
    hold_.emplace(store_);
    moveTo(event->position());
}

void CWPositionPad::mouseMoveEvent(QMouseEvent* event)
{
    // A drag lasts only while its button is down, whatever came in between.
    if (dragging_ && !(event->buttons() & Qt::LeftButton))
        endDrag();
    if (dragging_)
        moveTo(event->position());
}

void CWPositionPad::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        endDrag();
}

void CWPositionPad::endDrag()
{
    dragging_ = false;
    hold_.reset();  // the held saves are written now
}

bool CWPositionPad::event(QEvent* event)
{
    // Another window took the pointer (an alert, a window switch): no
    // release will come.
    if (event->type() == QEvent::WindowDeactivate || event->type() == QEvent::Hide)
        endDrag();
    return QWidget::event(event);
}
