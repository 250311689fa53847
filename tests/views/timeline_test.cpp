#include "theme/kit.h"
#include "views/timeline.h"
#include "views/timelinetrack.h"
#include "views/views_support.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>

// The track as a user meets it: 628 × 100 points at 100 %, so 600 points of
// track over a 100 s source, 6 points a second, time 0 at x = 14.
class TimelineTest : public ViewTest<CWTimelineTrack, 628, 100> {
protected:
    void prepare() override
    {
        source = addSource("a.mp4", 100);
        store->select(source.id);
        store->setOut(30);
        store->setIn(10);
    }

    static double x(double t) { return 14 + 6 * t; }

    void send(QEvent::Type type, QPointF at, Qt::MouseButtons buttons)
    {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, at, view->mapToGlobal(at), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(view.get(), &event);
    }
    // A press, moves in steps of a few points, and a release.
    void drag(QPointF from, QPointF to, int steps = 5)
    {
        send(QEvent::MouseButtonPress, from, Qt::LeftButton);
        for (int i = 1; i <= steps; ++i)
            send(QEvent::MouseMove, from + (to - from) * i / steps, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, to, Qt::NoButton);
    }

    CWSource source;
};

TEST_F(TimelineTest, HandlesTrimAndSaveOnLettingGoBarsSelectAndThePlayheadMovesAlone)
{
    CWTimeline timeline(store.get());  // its header shows the selection's length
    CWStoreTestAccess::setRestoreStarted(*store, true);
    store->addClip();
    store->selectClip(store->clips().first());
    player->calls.clear();
    // The resize cursor shows over a handle's zone, not over the bar band
    // below it (the zones themselves are the geometry's test).
    send(QEvent::MouseMove, {x(30) + 7, 40}, Qt::NoButton);
    EXPECT_EQ(view->cursor().shape(), Qt::SizeHorCursor);
    send(QEvent::MouseMove, {x(30) + 7, 85}, Qt::NoButton);
    EXPECT_EQ(view->cursor().shape(), Qt::ArrowCursor);

    // The lower fifth moves the playhead even under a handle, and plays on.
    store->setTrimFocus(1);
    player->rate_ = 1;
    drag({x(30) + 7, 85}, {x(50), 85});
    EXPECT_DOUBLE_EQ(store->outMark(), 30);
    EXPECT_NEAR(store->time(), 50, 1e-9);
    EXPECT_EQ(store->trimFocus(), std::nullopt);
    EXPECT_FALSE(player->calls.contains("pause"));

    // The Out handle hangs right of Out: grabbed in its middle, moved 60
    // points. Its label shows only while it is held, and the mark is saved
    // once, when it is let go, not at every step.
    const QRgb capsule = QColor::fromRgbF(1.0f, 0.88f, 0.35f).rgb();
    // The Out label ends 4 points left of Out; its middle row, left of the text.
    const auto label = [&] { return view->grab().toImage().pixel(int(x(40) - 4 - 92 + 6), 40); };
    send(QEvent::MouseButtonPress, {x(30) + 7, 40}, Qt::LeftButton);
    for (int step = 1; step <= 5; ++step)
        send(QEvent::MouseMove, {x(30) + 7 + 12 * step, 40}, Qt::LeftButton);
    EXPECT_EQ(label(), capsule);
    EXPECT_DOUBLE_EQ(storetest::savedSession()->clips.first().outTime, 30);
    send(QEvent::MouseButtonRelease, {x(30) + 67, 40}, Qt::NoButton);
    EXPECT_DOUBLE_EQ(storetest::savedSession()->clips.first().outTime, 40);
    EXPECT_NE(label(), capsule);
    EXPECT_EQ(store->trimFocus(), 1);  // released, the Out handle still holds the arrow keys
    EXPECT_EQ(player->calls.back(), "seek 40");
    EXPECT_EQ(player->rate(), 0);  // a handle grab pauses

    // In dragged past Out stops at the shortest clip, then follows back.
    drag({x(10) - 7, 40}, {x(80), 40}, 10);
    EXPECT_DOUBLE_EQ(store->inMark(), 39.5);
    EXPECT_EQ(store->trimFocus(), 0);
    EXPECT_DOUBLE_EQ(store->outMark(), 40);
    drag({x(39.5) - 7, 40}, {x(39.5) - 7 - 60, 40});
    EXPECT_DOUBLE_EQ(store->inMark(), 29.5);
    EXPECT_EQ(timeline.selectionText(), "Selection 0:10.5");

    // A release that never came (an alert opened mid-drag): the grab ends
    // with its button, the mark is saved, and the next press is its own.
    send(QEvent::MouseButtonPress, {x(40) + 7, 40}, Qt::LeftButton);
    send(QEvent::MouseMove, {x(42) + 7, 40}, Qt::LeftButton);
    send(QEvent::MouseMove, {x(60), 40}, Qt::NoButton);
    EXPECT_FALSE(view->held());
    EXPECT_DOUBLE_EQ(storetest::savedSession()->clips.first().outTime, 42);
    drag({x(70), 85}, {x(70), 85}, 0);
    EXPECT_DOUBLE_EQ(store->outMark(), 42);
    EXPECT_NEAR(store->time(), 70, 1e-9);

    // A click on a bar selects its clip and moves nothing.
    Clip a{QUuid::createUuid(), source.id, "a", 40, 50};
    Clip b{QUuid::createUuid(), source.id, "b", 60, 60.1};  // narrower than 3 points
    Clip other{QUuid::createUuid(), QUuid::createUuid(), "c", 60, 70};
    CWStoreTestAccess::setClips(*store, {a, b, other});
    drag({x(45), 88}, {x(45), 88}, 0);
    EXPECT_EQ(store->selectedClipID(), a.id);
    drag({x(60) + 2, 88}, {x(60) + 2, 88}, 0);
    EXPECT_EQ(store->selectedClipID(), b.id);
    // The bar's click took the press: the playhead stayed where the selection put it.
    EXPECT_DOUBLE_EQ(store->time(), b.inTime);

    // Playhead moves do not redraw the filmstrip; a new width does.
    QImage frame(64, 36, QImage::Format_RGB32);
    frame.fill(Qt::darkCyan);
    for (int i = 0; i < 24; ++i)
        source.thumbs.append({i * 4.0, frame});
    CWStoreTestAccess::setThumbs(*store, source.id, source.thumbs);
    view->grab();
    const long long before = MWFace::builds();
    store->seek(25);
    view->grab();
    EXPECT_EQ(MWFace::builds(), before);
    const QSize original = view->size();
    view->resize(700, 100);
    view->grab();
    EXPECT_EQ(MWFace::builds(), before + 1);
    view->resize(original);

    // A strip still streaming in: each frame in its own slot, the rest empty,
    // and a frame arriving in the middle is drawn.
    QList<Thumb> partial;
    for (int i = 0; i < 24; ++i)
        partial.append({i * 4.0, i == 0 ? frame : QImage()});
    CWStoreTestAccess::setThumbs(*store, source.id, partial);
    const auto cyanAt = [&](double t) {
        const QImage shot = view->grab().toImage();
        const QColor c = shot.pixelColor(int(x(t)), int(0.4 * shot.height()));
        return c.blue() > c.red() + 40 && c.green() > c.red() + 40;
    };
    EXPECT_TRUE(cyanAt(1));
    EXPECT_FALSE(cyanAt(52));
    partial[12].second = frame;
    CWStoreTestAccess::setThumbs(*store, source.id, partial);
    EXPECT_TRUE(cyanAt(52));
}

TEST_F(TimelineTest, AFrameDragLeavesTheTrackAloneAMovedBarRedrawsIt)
{
    QList<Clip> clips;
    for (int i = 0; i < 50; ++i)
        clips << Clip{QUuid::createUuid(), source.id, QString::number(i), i * 2.0, i * 2 + 1.5};
    CWStoreTestAccess::setClips(*store, clips);
    store->selectClip(clips[10]);
    PaintCount count;
    view->installEventFilter(&count);
    QCoreApplication::processEvents();
    count.paints.clear();
    // The selected clip's frame moves at every step of a drag; no bar moves.
    for (int i = 1; i <= 10; ++i)
        store->setCenterX(0.5 - i * 0.01);
    ASSERT_NE(store->clips()[10].centerX, 0.5);
    QCoreApplication::processEvents();
    EXPECT_TRUE(count.paints.isEmpty());
    // A point dragged along the bar: drawn again where it was and where it
    // is, and the other bars left as they are.
    QList<Clip> pointed = store->clips();
    pointed[10].points = {{20, 0.5, 0.5, 1, false}, {20.5, 0.3, 0.5, 2, false}};
    CWStoreTestAccess::setClips(*store, pointed);
    QCoreApplication::processEvents();
    count.region = {};
    store->movePoint(1, 21.25);
    QCoreApplication::processEvents();
    const int bar = 88;
    EXPECT_TRUE(count.region.contains(QPoint(int(x(20.5)), bar)));
    EXPECT_TRUE(count.region.contains(QPoint(int(x(21.25)), bar)));
    EXPECT_FALSE(count.region.contains(QPoint(int(x(60)), bar)));
    EXPECT_FALSE(count.region.contains(QPoint(int(x(21.25)), 20))) << "nor the filmstrip above";
    // Another clip's new Out moves its bar: drawn again.
    QList<Clip> trimmed = store->clips();
    trimmed[3].outTime = 7.25;
    CWStoreTestAccess::setClips(*store, trimmed);
    QCoreApplication::processEvents();
    EXPECT_GT(count.paints.value(view.get()), 0);

    // A handle moved without a selected clip: only its strip, with the
    // handle on either side, is drawn again.
    store->setSelectedClipID(std::nullopt);
    CWStoreTestAccess::setMarks(*store, 10, 30);
    view->update();
    QCoreApplication::processEvents();
    count.region = {};
    store->setOut(25);
    QCoreApplication::processEvents();
    for (double t : {25.0, 27.5, 30.0})
        EXPECT_TRUE(count.region.contains(QPoint(int(x(t)), 40))) << t;
    EXPECT_FALSE(count.region.contains(QPoint(int(x(15)), 40)));
    EXPECT_FALSE(count.region.contains(QPoint(int(x(40)), 40)));
}

// The selected clip's points are marks on its bar: a drag moves one in time
// as one step, a click goes to it, and its menu removes it or makes it a cut.
TEST_F(TimelineTest, PointMarksDragClickAndTheirMenu)
{
    Clip clip = storetest::clipOf(source.id, "Talk", 10, 30);
    clip.points = {{10, 0.5, 0.5, 1, false}, {15, 0.2, 0.5, 2, false}, {20, 0.8, 0.5, 1, false}};
    Clip other = storetest::clipOf(source.id, "Other", 40, 60);
    other.points = {{40, 0.5, 0.5, 1, false}, {50, 0.2, 0.5, 2, false}};
    CWStoreTestAccess::setClips(*store, {clip, other});
    store->selectClip(store->clips()[0]);
    store->endUndoRun();
    const double bar = 88;  // the middle of the bar band

    EXPECT_EQ(view->pointAt({x(15) + 3, bar}), 1);
    EXPECT_EQ(view->pointAt({x(50), bar}), std::nullopt) << "only the selected clip's";
    EXPECT_EQ(view->pointAt({x(17), bar}), std::nullopt);

    // A mark is drawn over the bar: white where the bar is its accent colour.
    QCoreApplication::processEvents();
    const QImage drawn = view->grab().toImage();
    EXPECT_EQ(drawn.pixelColor(int(x(15)), int(bar)), QColor(Qt::white));
    EXPECT_NE(drawn.pixelColor(int(x(17)), int(bar)), QColor(Qt::white));

    drag({x(15), bar}, {x(18), bar});
    ASSERT_EQ(store->clips()[0].points.size(), 3u);
    EXPECT_NEAR(store->clips()[0].points[1].time, 18, 1e-9);
    EXPECT_NEAR(store->time(), 18, 1e-9) << "let go, the playhead is on the point";
    EXPECT_EQ(store->undoLabel(), "Move Frame Point");
    store->undo();
    EXPECT_NEAR(store->clips()[0].points[1].time, 15, 1e-9) << "the whole drag is one step";
    // Never past a neighbour.
    drag({x(15), bar}, {x(25), bar});
    EXPECT_NEAR(store->clips()[0].points[1].time, 19.999, 1e-9);
    EXPECT_EQ(store->selectedClipID(), clip.id) << "a mark is not a bar click";

    // A click on a mark goes to its point.
    drag({x(10), bar}, {x(10) + 1, bar}, 1);
    EXPECT_NEAR(store->time(), 10, 1e-9);
    EXPECT_NEAR(store->clips()[0].points[0].time, 10, 1e-9);

    const auto menuAt = [&](double t) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(int(x(t)), int(bar)),
                                view->mapToGlobal(QPoint(int(x(t)), int(bar))));
        QApplication::sendEvent(view.get(), &event);
        QMenu* menu = nullptr;  // the one open: a chosen one is deleted later
        for (QMenu* m : view->findChildren<QMenu*>("pointMenu"))
            if (m->isVisible())
                menu = m;
        EXPECT_TRUE(menu && QTest::qWaitForWindowExposed(menu, 30000));
        return menu;
    };
    const auto choose = [](QMenu* menu, const QString& text) {
        for (QAction* a : menu->actions())
            if (a->text() == text)
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(a).center());
        QCoreApplication::processEvents();
    };
    QMenu* menu = menuAt(20);
    ASSERT_TRUE(menu);
    QStringList items;
    for (const QAction* a : menu->actions())
        items << (a->isSeparator() ? "-" : a->text() + (a->isChecked() ? " ✓" : ""));
    EXPECT_EQ(items, QStringList({"Remove Frame Point", "-", "Glide ✓", "Cut"}));
    choose(menu, "Cut");
    EXPECT_TRUE(store->clips()[0].points[2].cut);
    EXPECT_EQ(store->undoLabel(), "Cut to Frame Point");

    menu = menuAt(10);
    ASSERT_TRUE(menu);
    choose(menu, "Remove Frame Point");
    ASSERT_EQ(store->clips()[0].points.size(), 2u);
    EXPECT_NEAR(store->clips()[0].points[0].time, 19.999, 1e-9);
    EXPECT_DOUBLE_EQ(store->clips()[0].centerX, 0.2) << "the next point is the clip's frame now";
}
