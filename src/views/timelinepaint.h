#pragma once

#include "model/source.h"

#include <QColor>
#include <QRectF>
#include <QSizeF>

class QPainter;

// The drawn pieces of the timeline's track that do not depend on the store.
namespace TimelinePaint {

// The yellow of the In–Out selection and its handles.
QColor yellow();

// The filmstrip row of size: thumbs side by side, each filling its tile.
void filmstrip(QPainter& painter, const QSizeF& size, const QList<Thumb>& thumbs);

// One trim handle in rect: outer corners rounded, a warm vertical gradient, the
// focus ring while it holds the arrow keys, a chevron pointing outwards.
void handle(QPainter& painter, const QRectF& rect, bool left, bool focused, double zoom);

// The drag time label: text on a light yellow capsule.
void label(QPainter& painter, const QRectF& rect, const QString& text);

}  // namespace TimelinePaint
