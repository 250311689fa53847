#include "store_fixture_support.h"

#include <cmath>

using namespace storetest;

namespace {
std::vector<double> timesOf(const Clip& clip)
{
    std::vector<double> times;
    for (const FramePoint& p : clip.points)
        times.push_back(std::round(p.time * 1000) / 1000);  // to the millisecond
    return times;
}
}  // namespace

// A selected clip of 10…20 s on a 60 s video, framed at zoom 2, left of centre.
class FramePointsTest : public StoreTest {
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        const CWSource source = addSource("/v/a.mov", 60);
        store->select(source.id);
        Clip c = clipOf(source.id, "Talk", 10, 20);
        c.zoom = 2;
        c.centerX = 0.3;
        CWStoreTestAccess::setClips(*store, {c});
        store->selectClip(store->clips()[0]);
        store->endUndoRun();
        CWStoreTestAccess::setRestoreStarted(*store, true);
        CWStoreTestAccess::setHistoryClock(*store, [this] { return clock; });
    }
    const Clip& clip() const { return store->clips()[0]; }
    // Far enough apart that no two steps join.
    void later() { clock += 10000; }

    qint64 clock = 0;
};

// Away from In, the first frame change keeps the old frame as a point at In
// and sets the new one at the playhead; the clip's own frame stays the first
// point's, for readers that know nothing of points.
TEST_F(FramePointsTest, AFrameChangeAwayFromInSetsAPointAtThePlayhead)
{
    store->setZoom(1.5);
    EXPECT_TRUE(clip().points.empty());
    EXPECT_DOUBLE_EQ(clip().zoom, 1.5);

    later();
    store->seek(14);
    store->setCenterX(0.6);
    store->setZoom(3);
    ASSERT_EQ(timesOf(clip()), (std::vector<double>{10, 14}));
    EXPECT_EQ(clip().points[0], (FramePoint{10, 0.3, 0.5, 1.5, false}));
    EXPECT_EQ(clip().points[1], (FramePoint{14, 0.6, 0.5, 3, false}));
    EXPECT_DOUBLE_EQ(clip().zoom, 1.5);
    EXPECT_DOUBLE_EQ(clip().centerX, 0.3);
    EXPECT_EQ(clip().aspect, Aspect::square) << "the shape stays";
    const std::optional<CWSession> saved = savedSession();
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->clips[0].points, clip().points);

    // A change at a point's moment replaces it and keeps how the frame reaches it.
    later();
    store->setPointCut(1, true);
    later();
    store->setCenterY(0.7);
    ASSERT_EQ(clip().points.size(), 2u);
    EXPECT_EQ(clip().points[1], (FramePoint{14, 0.6, 0.7, 3, true}));

    // Back at In with points, the change is the first point's, and so the clip's.
    later();
    store->seek(10);
    store->setZoom(1.2);
    EXPECT_DOUBLE_EQ(clip().points[0].zoom, 1.2);
    EXPECT_DOUBLE_EQ(clip().zoom, 1.2);

    // A shape change sets no point, and Undo takes back one change at a time.
    later();
    store->seek(16);
    store->setAspect(Aspect::wide);
    EXPECT_EQ(clip().points.size(), 2u);
    EXPECT_EQ(clip().aspect, Aspect::wide);
    store->undo();
    store->undo();
    EXPECT_DOUBLE_EQ(clip().points[0].zoom, 1.5);
    store->undo();
    store->undo();
    store->undo();
    EXPECT_EQ(timesOf(clip()), (std::vector<double>{10, 14}));
    store->undo();
    EXPECT_TRUE(clip().points.empty());
    EXPECT_DOUBLE_EQ(clip().zoom, 1.5);
}

// Seeking and playing move the shown frame (what the crop frame, the pad and
// the knob draw) along the path, without writing the clip or a step of history.
TEST_F(FramePointsTest, TheShownFrameFollowsThePlayheadWithoutWritingTheClip)
{
    Clip c = clip();
    c.points = {{10, 0.3, 0.5, 2, false}, {14, 0.7, 0.4, 1, false}, {18, 0.2, 0.6, 3, true}};
    CWStoreTestAccess::setClips(*store, {c});
    store->selectClip(store->clips()[0]);
    const qsizetype steps = CWStoreTestAccess::undoCount(*store);
    const QByteArray session = readSession();

    for (const double t : {10.0, 12.0, 14.0, 17.9, 18.0, 25.0, 5.0}) {
        store->seek(t);
        const FramePath::Frame f = FramePath::frameAt(clip(), t);
        EXPECT_EQ((FramePath::Frame{store->zoom(), store->centerX(), store->centerY()}), f)
            << "at " << t;
    }
    store->seek(10);
    store->togglePlay();
    tickAt(12);
    EXPECT_NEAR(store->centerX(), 0.5, 1e-12) << "halfway through the glide";
    store->step(50);  // 2 s at 25 fps
    EXPECT_DOUBLE_EQ(store->centerX(), 0.7);

    EXPECT_EQ(clip(), c);
    EXPECT_EQ(CWStoreTestAccess::undoCount(*store), steps);
    EXPECT_EQ(readSession(), session);
}

TEST_F(FramePointsTest, PointsAreAddedRemovedMovedAndSteppedThroughEachOneStep)
{
    QSignalSpy beeps(store.get(), &CWStore::alerted);
    store->seek(15);
    store->addPoint();
    ASSERT_EQ(timesOf(clip()), (std::vector<double>{10, 15}));
    EXPECT_EQ(clip().points[1], (FramePoint{15, 0.3, 0.5, 2, false})) << "the frame does not move";
    EXPECT_EQ(store->undoLabel(), "Add Frame Point");
    EXPECT_EQ(store->pointAtPlayhead(), 1);
    store->addPoint();
    EXPECT_EQ(beeps.count(), 1) << "one point a moment";

    later();
    store->seek(18);
    store->setCenterX(0.8);
    later();
    store->seek(12);
    store->addPoint();
    EXPECT_EQ(timesOf(clip()), (std::vector<double>{10, 12, 15, 18}));
    EXPECT_EQ(store->pointAtPlayhead(), 1);

    // Stepping between points seeks to them and stops at the ends with the alert.
    store->seek(13);
    store->nextPoint();
    EXPECT_DOUBLE_EQ(store->time(), 15);
    store->nextPoint();
    store->nextPoint();
    EXPECT_DOUBLE_EQ(store->time(), 18);
    EXPECT_EQ(beeps.count(), 2);
    for (int i = 0; i < 4; ++i)
        store->previousPoint();
    EXPECT_DOUBLE_EQ(store->time(), 10);
    EXPECT_EQ(beeps.count(), 3);

    // Moving keeps a point inside the clip and between its neighbours.
    for (const auto& [index, to, times] :
         {std::tuple{2, 30.0, std::vector<double>{10, 12, 17.999, 18}},
          {3, 40.0, std::vector<double>{10, 12, 17.999, 20}},
          {0, 11.0, std::vector<double>{11, 12, 17.999, 20}}}) {
        later();
        store->movePoint(index, to);
        EXPECT_EQ(timesOf(clip()), times) << index;
    }
    EXPECT_EQ(store->undoLabel(), "Move Frame Point");

    // The nearest point to the playhead goes; removing the first makes the
    // next one the clip's own frame.
    later();
    store->seek(19);
    store->removePointAtPlayhead();
    EXPECT_EQ(timesOf(clip()), (std::vector<double>{11, 12, 17.999}));
    later();
    store->removePoint(0);
    EXPECT_EQ(timesOf(clip()), (std::vector<double>{12, 17.999}));
    EXPECT_EQ(store->undoLabel(), "Remove Frame Point");
    EXPECT_DOUBLE_EQ(clip().centerX, clip().points[0].centerX);

    later();
    store->setPointCut(1, true);
    EXPECT_TRUE(clip().points[1].cut);
    EXPECT_EQ(store->undoLabel(), "Cut to Frame Point");
    store->undo();
    EXPECT_FALSE(clip().points[1].cut);
    store->undo();
    EXPECT_EQ(timesOf(clip()), (std::vector<double>{11, 12, 17.999}));

    // Without a selected clip there is nothing to add to.
    store->setSelectedClipID(std::nullopt);
    store->addPoint();
    store->removePointAtPlayhead();
    EXPECT_EQ(beeps.count(), 5);
}

// Reset Frame asks before it takes a moving frame's points; shape changes for
// every clip and Duplicate keep them.
TEST_F(FramePointsTest, ResetAsksFirstApplyToAllAndDuplicateKeepThePoints)
{
    store->resetFrame();
    EXPECT_TRUE(services->questions.isEmpty()) << "a still frame is reset without asking";
    EXPECT_DOUBLE_EQ(clip().zoom, 1);

    later();
    store->seek(15);
    store->setZoom(2.5);
    const std::vector<FramePoint> points = clip().points;
    ASSERT_EQ(points.size(), 2u);

    later();
    store->setAspectForAll(Aspect::wide);
    EXPECT_EQ(clip().aspect, Aspect::wide);
    EXPECT_EQ(clip().points, points);

    later();
    store->duplicateClip(clip().id);
    ASSERT_EQ(store->clips().size(), 2);
    EXPECT_EQ(store->clips()[1].points, points);
    EXPECT_EQ(store->selectedClipID(), store->clips()[1].id);
    EXPECT_DOUBLE_EQ(store->zoom(), 1) << "the copy shows its frame at In";

    services->answer = false;
    later();
    store->resetFrame();
    EXPECT_EQ(services->questions,
              QStringList{QString::fromUtf8("Reset the frame of “Talk copy”? | Reset Frame")});
    EXPECT_EQ(store->clips()[1].points, points);

    services->answer = true;
    store->seek(15);
    store->resetFrame();
    EXPECT_TRUE(store->clips()[1].points.empty());
    EXPECT_DOUBLE_EQ(store->clips()[1].zoom, 1);
    EXPECT_DOUBLE_EQ(store->zoom(), 1);
    EXPECT_EQ(store->undoLabel(), "Reset Frame");
    store->undo();
    EXPECT_EQ(store->clips()[1].points, points);
    EXPECT_DOUBLE_EQ(store->zoom(), 2.5) << "the frame at the playhead again";
}
