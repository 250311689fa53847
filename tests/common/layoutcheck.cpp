#include "common/layoutcheck.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QLabel>
#include <QLayout>
#include <QScrollBar>
#include <QWidget>

namespace testutil {
namespace {

QString name(const QWidget* w)
{
    QString text;
    if (const auto* label = qobject_cast<const QLabel*>(w))
        text = label->text();
    else if (const auto* button = qobject_cast<const QAbstractButton*>(w))
        text = button->text();
    if (text.isEmpty())
        text = w->accessibleName();
    return QStringLiteral("%1 %2 \"%3\" at %4,%5 %6×%7")
        .arg(QString::fromLatin1(w->metaObject()->className()), w->objectName(), text.left(40))
        .arg(w->x())
        .arg(w->y())
        .arg(w->width())
        .arg(w->height());
}

bool holds(const QLayout* layout, const QWidget* w)
{
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (item->widget() == w)
            return true;
        if (item->layout() && holds(item->layout(), w))
            return true;
    }
    return false;
}

// Placed by its parent's layout (not a layer stacked by hand, not a scroll
// area's moving content).
bool laidOut(const QWidget* w)
{
    const QWidget* parent = w->parentWidget();
    return parent && parent->layout() && holds(parent->layout(), w);
}

// The least a layout promises a widget, as Qt's own layouts compute it.
QSize promised(const QWidget* w)
{
    const QSizePolicy policy = w->sizePolicy();
    const QSize hint = w->sizeHint();
    const QSize least = w->minimumSizeHint();
    QSize s(0, 0);
    if (policy.horizontalPolicy() != QSizePolicy::Ignored)
        s.setWidth(policy.horizontalPolicy() & QSizePolicy::ShrinkFlag
                       ? least.width()
                       : std::max(hint.width(), least.width()));
    if (policy.verticalPolicy() != QSizePolicy::Ignored && !w->hasHeightForWidth())
        s.setHeight(policy.verticalPolicy() & QSizePolicy::ShrinkFlag
                        ? least.height()
                        : std::max(hint.height(), least.height()));
    s = s.boundedTo(w->maximumSize());
    if (w->minimumWidth() > 0)
        s.setWidth(w->minimumWidth());
    if (w->minimumHeight() > 0)
        s.setHeight(w->minimumHeight());
    return s.expandedTo(QSize(0, 0));
}

void checkLabel(const QLabel* label, QStringList& faults)
{
    if (label->text().isEmpty() || label->textFormat() == Qt::RichText)
        return;
    const QMargins m = label->contentsMargins();
    const int room = label->width() - m.left() - m.right();
    if (label->wordWrap()) {
        if (label->height() < label->heightForWidth(label->width()))
            faults << QStringLiteral("lines cut: ") + name(label);
        return;
    }
    const int text = label->fontMetrics().horizontalAdvance(label->text());
    const bool elides = label->minimumSizeHint().width() < text;
    if (room < text && !elides)
        faults << QStringLiteral("text cut: ") + name(label);
}

void walk(const QWidget* w, QStringList& faults)
{
    if (laidOut(w)) {
        // A list below its minimum still shows what it holds: it scrolls.
        const bool scrolls = qobject_cast<const QAbstractScrollArea*>(w) != nullptr;
        const QSize least = promised(w);
        if (!scrolls && (w->width() < least.width() || w->height() < least.height()))
            faults
                << QStringLiteral("squeezed below %1×%2: ").arg(least.width()).arg(least.height()) +
                       name(w);
        if (!w->parentWidget()->rect().contains(w->geometry()))
            faults << QStringLiteral("outside its parent: ") + name(w);
    }
    if (const auto* label = qobject_cast<const QLabel*>(w))
        checkLabel(label, faults);
    if (const auto* area = qobject_cast<const QAbstractScrollArea*>(w)) {
        const QWidget* content =
            area->viewport()->findChild<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
        if (area->horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOff && content &&
            content->isVisible() && content->width() > area->viewport()->width())
            faults << QStringLiteral("wider than its list: ") + name(content);
    }

    QList<const QWidget*> placed;
    for (const QObject* o : w->children()) {
        const auto* child = qobject_cast<const QWidget*>(o);
        if (!child || child->isWindow() || !child->isVisible())
            continue;
        walk(child, faults);
        if (laidOut(child))
            placed << child;
    }
    for (qsizetype i = 0; i < placed.size(); ++i)
        for (qsizetype j = i + 1; j < placed.size(); ++j)
            if (placed[i]->geometry().intersects(placed[j]->geometry()))
                faults << QStringLiteral("overlap: ") + name(placed[i]) + QStringLiteral(" / ") +
                              name(placed[j]);
}

}  // namespace

QStringList layoutFaults(const QWidget* root)
{
    QStringList faults;
    if (root->isVisible())
        walk(root, faults);
    return faults;
}

}  // namespace testutil
