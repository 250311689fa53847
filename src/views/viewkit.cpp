#include "views/viewkit.h"

#include "store/store.h"
#include "theme/mwui.h"
#include "theme/scrollbars.h"

#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>

namespace CWViewKit {
double zoom()
{
    return MWUI::shared()->zoom();
}

void setTextColour(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

CropFrame::Input frameInput(const CWStore& store)
{
    CropFrame::Input in;
    if (const CWSource* source = store.current()) {
        in.natural = source->media.naturalSize;
        in.picture = source->picture;
        in.trimBorders = source->trimBorders;
    }
    in.aspect = store.aspect();
    in.zoom = store.zoom();
    in.centerX = store.centerX();
    in.centerY = store.centerY();
    return in;
}
QVBoxLayout* scrollingColumn(QScrollArea* area)
{
    area->setFrameShape(QFrame::NoFrame);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setWidgetResizable(true);
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 0, 0);
    column->addStretch(1);
    area->setWidget(content);
    content->setAutoFillBackground(false);
    area->setAutoFillBackground(false);
    area->viewport()->setAutoFillBackground(false);
    mwThinScrollBars(area);
    return column;
}

void showInScroll(QWidget* widget)
{
    for (QWidget* w = widget->parentWidget(); w; w = w->parentWidget())
        if (auto* scroll = qobject_cast<QScrollArea*>(w)) {
            scroll->ensureWidgetVisible(widget, 0, 0);
            return;
        }
}
}  // namespace CWViewKit

CWElidedLabel::CWElidedLabel(QWidget* parent, Qt::TextElideMode mode) : QLabel(parent), mode_(mode)
{}

QSize CWElidedLabel::minimumSizeHint() const
{
    return {0, QLabel::minimumSizeHint().height()};
}

QString CWElidedLabel::shownText() const
{
    return fontMetrics().elidedText(text(), mode_, width());
}

void CWElidedLabel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setPen(palette().color(QPalette::WindowText));
    p.setFont(font());
    p.drawText(QRectF(rect()), int(alignment()), shownText());
}
