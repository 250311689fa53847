#pragma once

#include "store/store_fixture_support.h"
#include "theme/mwui.h"

#include <QAccessible>
#include <QHash>
#include <QPaintEvent>
#include <QRegion>
#include <QTest>

// What a screen reader finds for a widget, and its name and description.
inline QAccessibleInterface* a11y(QObject* object)
{
    return QAccessible::queryAccessibleInterface(object);
}
inline QString a11yName(QObject* object)
{
    return a11y(object)->text(QAccessible::Name);
}
inline QString a11yDescription(QObject* object)
{
    return a11y(object)->text(QAccessible::Description);
}

// Counts the paints each watched widget receives, and where they fell.
class PaintCount : public QObject {
public:
    QHash<QObject*, int> paints;
    QRegion region;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            ++paints[watched];
            region += static_cast<QPaintEvent*>(event)->region();
        }
        return false;
    }
};

// A view of a store on the scripted player, on screen at 100 % zoom and put
// back to 100 % afterwards, as the other view tests expect it.
template <class View, int width, int height> class ViewTest : public StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        MWUI::shared()->resetZoom();
        prepare();
        view = std::make_unique<View>(store.get());
        view->resize(width, height);
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get(), 30000));
    }
    void TearDown() override
    {
        view.reset();
        MWUI::shared()->resetZoom();
    }
    // What the store holds before the view is made.
    virtual void prepare() {}

    void click(QWidget* widget, QPointF at)
    {
        QTest::mouseClick(widget, Qt::LeftButton, {}, at.toPoint());
        QCoreApplication::processEvents();
    }
    void click(QWidget* widget) { click(widget, QRectF(widget->rect()).center()); }

    std::unique_ptr<View> view;
};
