#include "views/rack.h"

#include "model/mwtime.h"
#include "store/store.h"
#include "theme/fonts.h"
#include "theme/mwui.h"
#include "theme/scrollbars.h"
#include "theme/symbols.h"
#include "theme/text.h"
#include "views/viewkit.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>

namespace {
using CWViewKit::zoom;

QFont nameFont()
{
    return mwFont(10.5, QFont::Bold, MWDesign::Rounded);
}
QFont infoFont()
{
    return mwMono(9, QFont::Medium);
}
QFont numberFont()
{
    return mwFont(10, QFont::Black, MWDesign::Rounded);
}
constexpr double closeSide = 12;  // the ✕ glyph, points at 100 %
}  // namespace

CWRackChip::CWRackChip(CWStore* store, const Clip& clip, int number, bool selected, QWidget* parent)
    : QWidget(parent), store_(store), clip_(clip), number_(number), selected_(selected)
{
    setAttribute(Qt::WA_Hover);
    setMouseTracking(true);
}

QString CWRackChip::info(const Clip& clip)
{
    return rawValue(clip.aspect) + " · " +
           MWTime::clock(std::max(clip.outTime - clip.inTime, 0.0), true);
}

double CWRackChip::columnWidth() const
{
    const double widest = std::max(QFontMetricsF(nameFont()).horizontalAdvance(clip_.name),
                                   QFontMetricsF(infoFont()).horizontalAdvance(info(clip_)));
    return std::min(std::ceil(widest), 150 * zoom());
}

QSize CWRackChip::sizeHint() const
{
    const double z = zoom();
    const double w = 8 * z + 18 * z + 6 * z + columnWidth() + 6 * z + closeSide * z + 8 * z;
    const double column = QFontMetricsF(nameFont()).height() + QFontMetricsF(infoFont()).height();
    const double h = 4 * z + std::max(18 * z, column) + 4 * z;
    return QSizeF(w, h).toSize();
}

QRectF CWRackChip::closeRect() const
{
    const double z = zoom();
    const double side = closeSide * z;
    return {width() - 8 * z - side, (height() - side) / 2, side, side};
}

void CWRackChip::paintEvent(QPaintEvent*)
{
    const MWTheme& t = MWUI::shared()->theme();
    const double z = zoom();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);

    // The capsule with its border drawn inside it.
    const QRectF body = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QColor fill = selected_ ? t.accent : t.raised;
    fill.setAlphaF(selected_ ? 0.4f : 0.7f);
    p.setPen(QPen(selected_ ? t.accent2 : t.metalLo, 1));
    p.setBrush(fill);
    p.drawRoundedRect(body, body.height() / 2, body.height() / 2);

    // The number in its circle.
    const QRectF circle(8 * z, (height() - 18 * z) / 2, 18 * z, 18 * z);
    p.setPen(Qt::NoPen);
    p.setBrush(t.accent);
    p.drawEllipse(circle);
    p.setPen(Qt::white);
    p.setFont(numberFont());
    p.drawText(circle, Qt::AlignCenter, QString::number(number_));

    // Name over shape and length, elided to the column so a chip stays one line.
    const double column = columnWidth();
    const double x = circle.right() + 6 * z;
    const QFontMetricsF nameMetrics(nameFont());
    const QFontMetricsF infoMetrics(infoFont());
    const double top = (height() - nameMetrics.height() - infoMetrics.height()) / 2;
    p.setFont(nameFont());
    p.setPen(t.text);
    p.drawText(QRectF(x, top, column, nameMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
               nameMetrics.elidedText(clip_.name, Qt::ElideRight, column));
    p.setFont(infoFont());
    p.setPen(t.dim);
    p.drawText(QRectF(x, top + nameMetrics.height(), column, infoMetrics.height()),
               Qt::AlignLeft | Qt::AlignVCenter,
               infoMetrics.elidedText(info(clip_), Qt::ElideRight, column));

    MWSymbols::paint(&p, closeRect(), "xmark", t.dim);
}

void CWRackChip::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !rect().contains(event->position().toPoint()))
        return;
    // The store replaces this chip from its change signal: nothing of this
    // object is touched after the call.
    if (closeRect().contains(event->position()))
        store_->deleteClip(clip_.id);
    else
        store_->selectClip(clip_);
}

bool CWRackChip::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        if (closeRect().contains(help->pos()))
            QToolTip::showText(help->globalPos(), tr("Delete clip"), this,
                               closeRect().toAlignedRect());
        else
            QToolTip::hideText();
        return true;
    }
    return QWidget::event(event);
}

CWRack::CWRack(CWStore* store, QWidget* parent) : QWidget(parent), store_(store)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    caption_ = new MWCaption(tr("Clips"), this);
    layout->addWidget(caption_, 0, Qt::AlignVCenter);

    scroll_ = new QScrollArea(this);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    mwThinScrollBars(scroll_);
    scroll_->setWidgetResizable(true);
    scroll_->viewport()->setAutoFillBackground(false);
    auto* content = new QWidget;
    row_ = new QHBoxLayout(content);
    row_->setContentsMargins(0, 0, 0, 0);
    hint_ = new QLabel(tr("No clips yet — set In / Out and press Add Clip (Return)"), content);
    row_->addWidget(hint_, 0, Qt::AlignVCenter);
    row_->addStretch(1);
    scroll_->setWidget(content);
    // setWidget makes the content paint the window colour; the chips sit on
    // the panel's metal instead.
    content->setAutoFillBackground(false);
    scroll_->setAutoFillBackground(false);
    scroll_->viewport()->installEventFilter(this);
    layout->addWidget(scroll_, 1);

    connect(store_, &CWStore::changed, this, [this](CWStore::Field field) {
        if (field == CWStore::Field::clips || field == CWStore::Field::selectedClipID)
            rebuild();
    });
    connect(MWUI::shared(), &MWUI::changed, this, [this] {
        restyle();
        for (CWRackChip* chip : std::as_const(chips_)) {
            chip->updateGeometry();
            chip->update();
        }
    });
    restyle();
    rebuild();
}

bool CWRack::eventFilter(QObject* watched, QEvent* event)
{
    // The rack has no vertical extent to scroll: an ordinary mouse wheel moves
    // the chips sideways.
    if (watched == scroll_->viewport() && event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->angleDelta().x() == 0 && wheel->angleDelta().y() != 0) {
            QScrollBar* bar = scroll_->horizontalScrollBar();
            bar->setValue(bar->value() - wheel->angleDelta().y() / 120.0 * bar->singleStep() * 3);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CWRack::restyle()
{
    const double z = zoom();
    static_cast<QHBoxLayout*>(layout())->setSpacing(qRound(6 * z));
    row_->setSpacing(qRound(6 * z));
    hint_->setFont(mwFont(10.5));
    QPalette palette = hint_->palette();
    palette.setColor(QPalette::WindowText, MWUI::shared()->theme().dim);
    hint_->setPalette(palette);
}

void CWRack::rebuild()
{
    // Chips are rebuilt whole: a rack holds few enough that keeping them in
    // step one by one would only add ways to show a stale number.
    // A chip may be in its own click handler: hide it now, delete it later.
    for (CWRackChip* chip : std::as_const(chips_)) {
        chip->hide();
        row_->removeWidget(chip);
        chip->deleteLater();
    }
    chips_.clear();
    const QList<Clip>& clips = store_->clips();
    const auto selected = store_->selectedClipID();
    for (qsizetype i = 0; i < clips.size(); ++i) {
        auto* chip = new CWRackChip(store_, clips[i], int(i + 1),
                                    selected && *selected == clips[i].id, scroll_->widget());
        row_->insertWidget(int(i), chip, 0, Qt::AlignVCenter);
        chip->show();
        chips_.append(chip);
    }
    hint_->setVisible(clips.isEmpty());
}
