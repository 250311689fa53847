#include "store/store_fixture_support.h"
#include "theme/kit.h"
#include "theme/mwui.h"
#include "views/timeline.h"
#include "views/timelinetrack.h"

#include <QMouseEvent>
#include <QTest>
#include <memory>

using TrimMath::Grab;

// The track as a user meets it: 628 × 100 points at 100 %, so 600 points of
// track over a 100 s source, 6 points a second, time 0 at x = 14.
class TimelineTest : public StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        MWUI::shared()->setZoom(1.0);
        source = addSource("a.mp4", 100);
        store->select(source.id);
        store->setOut(30);
        store->setIn(10);
        player->calls.clear();
        track = std::make_unique<CWTimelineTrack>(store.get());
        track->resize(628, 100);
        track->show();
    }

    static double x(double t) { return 14 + 6 * t; }

    void send(QEvent::Type type, QPointF at, Qt::MouseButtons buttons)
    {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, at, track->mapToGlobal(at), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(track.get(), &event);
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
    std::unique_ptr<CWTimelineTrack> track;
};

TEST_F(TimelineTest, DraggingTheHandlesTrimsAndShowsTheMark)
{
    // The Out handle hangs right of Out: grabbed in its middle, moved 60 points.
    drag({x(30) + 7, 40}, {x(30) + 67, 40});
    EXPECT_DOUBLE_EQ(store->outMark(), 40);
    EXPECT_EQ(store->trimFocus(), 1);
    EXPECT_EQ(player->calls.back(), "seek 40");
    EXPECT_FALSE(track->held().has_value());

    drag({x(10) - 7, 40}, {x(10) - 37, 40});
    EXPECT_DOUBLE_EQ(store->inMark(), 5);
    EXPECT_EQ(store->trimFocus(), 0);
    EXPECT_EQ(player->calls.back(), "seek 5");
}

TEST_F(TimelineTest, InDraggedPastOutStopsAtTheShortestClip)
{
    drag({x(10) - 7, 40}, {x(80), 40}, 10);
    EXPECT_DOUBLE_EQ(store->inMark(), 29.5);
    EXPECT_DOUBLE_EQ(store->outMark(), 30);
    // Back again: the handle follows the pointer from where it was grabbed.
    drag({x(29.5) - 7, 40}, {x(29.5) - 7 - 60, 40});
    EXPECT_DOUBLE_EQ(store->inMark(), 19.5);
}

TEST_F(TimelineTest, LowerFifthMovesThePlayheadEvenUnderAHandle)
{
    store->setTrimFocus(1);
    drag({x(30) + 7, 85}, {x(50), 85});
    EXPECT_DOUBLE_EQ(store->outMark(), 30);
    EXPECT_NEAR(store->time(), 50, 1e-9);
    EXPECT_EQ(store->trimFocus(), std::nullopt);
}

TEST_F(TimelineTest, HandleGrabPausesButPlayheadGrabDoesNot)
{
    player->rate_ = 1;
    drag({x(60), 40}, {x(70), 40});
    EXPECT_FALSE(player->calls.contains("pause"));
    EXPECT_EQ(player->rate(), 1);
    drag({x(10) - 7, 40}, {x(10) - 7, 40});
    EXPECT_TRUE(player->calls.contains("pause"));
    EXPECT_EQ(player->rate(), 0);
}

TEST_F(TimelineTest, ClickOnABarSelectsItsClipAndMovesNothing)
{
    Clip a{QUuid::createUuid(), source.id, "a", 40, 50};
    Clip b{QUuid::createUuid(), source.id, "b", 60, 60.1};  // narrower than 3 points
    Clip other{QUuid::createUuid(), QUuid::createUuid(), "c", 60, 70};
    CWStoreTestAccess::setClips(*store, {a, b, other});
    drag({x(45), 88}, {x(45), 88}, 0);
    EXPECT_EQ(store->selectedClipID(), a.id);
    drag({x(60) + 2, 88}, {x(60) + 2, 88}, 0);
    EXPECT_EQ(store->selectedClipID(), b.id);
    // The bar's click took the press: the playhead stayed where the selection put it.
    EXPECT_NE(store->time(), x(60) + 2);
}

TEST_F(TimelineTest, ResizeCursorOnlyOverHandleZones)
{
    struct Case {
        QPointF at;
        Qt::CursorShape shape;
    };
    const Case cases[] = {
        {{x(30) + 7, 40}, Qt::SizeHorCursor},   // on the Out handle
        {{x(30) - 5, 40}, Qt::SizeHorCursor},   // its tolerance inside the box
        {{x(10) - 19, 40}, Qt::SizeHorCursor},  // the In handle's outer tolerance
        {{x(20), 40}, Qt::ArrowCursor},         // the box between them
        {{x(30) + 7, 85}, Qt::ArrowCursor},     // under the handle, in the bar band
        {{x(30) + 7, 5}, Qt::ArrowCursor},      // above the handle
    };
    for (const Case& c : cases) {
        send(QEvent::MouseMove, c.at, Qt::NoButton);
        EXPECT_EQ(track->cursor().shape(), c.shape) << c.at.x() << "," << c.at.y();
    }
}

TEST_F(TimelineTest, PlayheadMovesDoNotRedrawTheFilmstrip)
{
    QImage frame(64, 36, QImage::Format_RGB32);
    frame.fill(Qt::darkCyan);
    CWSource withThumbs = source;
    withThumbs.id = QUuid::createUuid();
    for (int i = 0; i < 24; ++i)
        withThumbs.thumbs.append({i * 4.0, frame});
    CWStoreTestAccess::addSource(*store, withThumbs);
    store->select(withThumbs.id);
    track->grab();
    const long long before = MWFace::builds();
    for (double t : {5.0, 25.0, 50.0}) {
        store->seek(t);
        track->grab();
    }
    EXPECT_EQ(MWFace::builds(), before);
    track->resize(700, 100);
    track->grab();
    EXPECT_EQ(MWFace::builds(), before + 1);
}

TEST_F(TimelineTest, HeaderShowsTheSelectionLength)
{
    CWTimeline timeline(store.get());
    EXPECT_EQ(timeline.selectionText(), "Selection 0:20.0");
    store->setOut(45.25);
    EXPECT_EQ(timeline.selectionText(), "Selection 0:35.2");
}

TEST_F(TimelineTest, TheTimeLabelShowsOnlyWhileAHandleIsHeld)
{
    const QRgb capsule = QColor::fromRgbF(1.0f, 0.88f, 0.35f).rgb();
    // The Out label ends 4 points left of Out; its middle row, left of the text.
    const QPoint probe(int(x(30) - 4 - 92 + 6), 40);
    send(QEvent::MouseButtonPress, {x(30) + 7, 40}, Qt::LeftButton);
    ASSERT_EQ(track->held(), Grab::outHandle);
    EXPECT_EQ(track->grab().toImage().pixel(probe), capsule);
    send(QEvent::MouseButtonRelease, {x(30) + 7, 40}, Qt::NoButton);
    EXPECT_FALSE(track->held().has_value());
    EXPECT_NE(track->grab().toImage().pixel(probe), capsule);
    // Released, the Out handle still holds the arrow keys.
    EXPECT_EQ(store->trimFocus(), 1);
}

TEST_F(TimelineTest, TheMarkWhereAHandleIsLetGoIsSavedAtOnce)
{
    CWStoreTestAccess::setRestoreStarted(*store, true);
    store->addClip();
    store->selectClip(store->clips().first());
    send(QEvent::MouseButtonPress, {x(30) + 7, 40}, Qt::LeftButton);
    for (int step = 1; step <= 5; ++step)
        send(QEvent::MouseMove, {x(30) + 7 + 12 * step, 40}, Qt::LeftButton);
    // Held: the steps are not written one by one.
    EXPECT_DOUBLE_EQ(storetest::savedSession()->clips.first().outTime, 30);
    send(QEvent::MouseButtonRelease, {x(30) + 67, 40}, Qt::NoButton);
    EXPECT_DOUBLE_EQ(storetest::savedSession()->clips.first().outTime, 40);
}
