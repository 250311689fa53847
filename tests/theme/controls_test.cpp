#include "theme/buttons.h"
#include "theme/knob.h"
#include "theme/segment.h"
#include "theme/switch.h"
#include "theme_support.h"

#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <numbers>
#include <optional>

namespace {

// A drag through real mouse events: press at from, move there by way of
// three points between, release.
void drag(QWidget& widget, QPoint from, QPoint by)
{
    QTest::mousePress(&widget, Qt::LeftButton, {}, from);
    for (int quarter = 1; quarter <= 4; ++quarter)
        QTest::mouseMove(&widget, from + by * quarter / 4);
    QTest::mouseRelease(&widget, Qt::LeftButton, {}, from + by);
}

TEST(MWKnob, DragsFollowTheRangeRuleWhateverTheZoomTheArcRunsClockwiseAndThePointerFollows)
{
    themetest::SharedState keep;
    MWKnob knob(QStringLiteral("Zoom"), 1.0, 3.0);
    const struct {
        double zoom;
        std::optional<double> from;  // none: where the last drag left it
        QPoint by;
        double value;
    } drags[] = {// Sideways travel changes nothing, and a click alone is no drag.
                 {1, 1.0, {0, -90}, 2.0}, {1, {}, {0, -45}, 2.5}, {1, {}, {0, -400}, 3.0},
                 {1, 1.0, {0, 120}, 1.0}, {1, {}, {60, 0}, 1.0},  {2, 1.0, {0, -90}, 2.0}};
    for (const auto& d : drags) {
        MWUI::shared()->setZoom(d.zoom);
        if (d.from)
            knob.setValue(*d.from);
        knob.resize(knob.sizeHint());
        drag(knob, knob.knobRect().center().toPoint(), d.by);
        EXPECT_NEAR(knob.value(), d.value, 1e-9) << d.by.y() << " at zoom " << d.zoom;
    }

    // Where the track is at 7:30 and at 4:30, the lit arc shows at the ends it
    // has reached.
    MWUI::shared()->setTheme(MWTheme::named(QStringLiteral("gunmetal-blue")));
    MWUI::shared()->setZoom(1.0);
    MWKnob arc(QString(), 0.0, 1.0, 60);
    arc.resize(arc.sizeHint());
    const QRectF body = arc.knobRect();
    const double radius = body.width() / 2 + 7;  // the track's middle
    const auto at = [&](double degreesFromUp) {
        const double turn = degreesFromUp * std::numbers::pi / 180;
        return (body.center() + QPointF(std::sin(turn), -std::cos(turn)) * radius).toPoint();
    };
    const QColor accent = MWUI::shared()->theme().accent;
    const auto lit = [&](double value, double degreesFromUp) {
        arc.setValue(value);
        const QImage image = arc.grab().toImage();
        return themetest::distance(image.pixelColor(at(degreesFromUp)), accent) < 40;
    };
    // The gap at the bottom (180°) is never lit.
    const std::tuple<double, double, bool> arcs[] = {{0.0, -130, false},
                                                     {0.5, -130, true},
                                                     {0.5, 130, false},
                                                     {1.0, 130, true},
                                                     {1.0, 180, false}};
    for (const auto& [value, degrees, on] : arcs)
        EXPECT_EQ(lit(value, degrees), on) << value << " at " << degrees;

    // The pointer and the fraction, clamped at both ends.
    for (const auto& [value, fraction, degrees] :
         {std::tuple{0.0, 0.0, -135.0}, {2.0, 0.5, 0.0}, {4.0, 1.0, 135.0}}) {
        EXPECT_DOUBLE_EQ(MWKnobMath::fraction(value, 1.0, 3.0), fraction) << value;
        EXPECT_DOUBLE_EQ(MWKnobMath::pointerDegrees(fraction), degrees) << value;
    }
    EXPECT_DOUBLE_EQ(MWKnobMath::fraction(5, 2, 2), 0.0);  // an empty range is no crash
}

enum class Shape { Vertical, Square, Wide };

TEST(MWSegment, SelectsByValueOfAnyType)
{
    MWSegment segment;
    segment.setItems<Shape>(
        {{Shape::Vertical, "9:16"}, {Shape::Square, "1:1"}, {Shape::Wide, "16:9"}});
    segment.resize(segment.sizeHint());
    EXPECT_EQ(segment.selectedIndex(), -1);  // no selection matches no item

    const QImage none = segment.grab().toImage();
    segment.select(Shape::Square);
    EXPECT_EQ(segment.selectedIndex(), 1);
    EXPECT_NE(segment.grab().toImage(), none);  // the highlight shows

    QSignalSpy activated(&segment, &MWSegment::activated);
    QTest::mouseClick(&segment, Qt::LeftButton, {}, segment.itemRect(2).center().toPoint());
    EXPECT_EQ(segment.selectionAs<Shape>(), Shape::Wide);
    EXPECT_EQ(activated.size(), 1);

    segment.select(QStringLiteral("not a shape"));
    EXPECT_EQ(segment.selectedIndex(), -1);
    EXPECT_EQ(segment.grab().toImage(), none);
    QTest::mouseClick(&segment, Qt::LeftButton, {}, segment.itemRect(0).center().toPoint());
    EXPECT_EQ(segment.selectionAs<Shape>(), Shape::Vertical);
    QTest::keyClick(&segment, Qt::Key_Right);
    EXPECT_EQ(segment.selectionAs<Shape>(), Shape::Square);
}

// The switch flips from its track and its title, the orb takes clicks only
// inside its circle, a chrome button with a menu is wider and a compact one lower.
TEST(Buttons, TakeClicksWhereTheyShowAndSizeByVariant)
{
    MWSwitch toggle(QStringLiteral("Snap to bars"));
    toggle.resize(toggle.sizeHint());
    QSignalSpy toggled(&toggle, &QAbstractButton::toggled);
    QTest::mouseClick(&toggle, Qt::LeftButton, {}, QPoint(toggle.width() - 3, toggle.height() / 2));
    EXPECT_TRUE(toggle.isOn());
    QTest::mouseClick(&toggle, Qt::LeftButton, {}, toggle.trackRect().center().toPoint());
    EXPECT_FALSE(toggle.isOn());
    QTest::keyClick(&toggle, Qt::Key_Space);
    EXPECT_TRUE(toggle.isOn());
    EXPECT_EQ(toggled.size(), 3);

    MWOrbButton orb(QStringLiteral("play.fill"), 40);
    orb.resize(orb.sizeHint());
    QSignalSpy clicked(&orb, &QAbstractButton::clicked);
    QTest::mouseClick(&orb, Qt::LeftButton, {}, orb.rect().center());
    EXPECT_EQ(clicked.size(), 1);
    QTest::mouseClick(&orb, Qt::LeftButton, {}, QPoint(1, 1));  // the corner is outside
    EXPECT_EQ(clicked.size(), 1);

    MWChromeButton plain(QStringLiteral("Export All")), withMenu(QStringLiteral("Export All"));
    QMenu menu;
    withMenu.setMenu(&menu);
    EXPECT_GT(withMenu.sizeHint().width(), plain.sizeHint().width());
    MWChromeButton compact(QStringLiteral("Export All"));
    compact.setCompact(true);
    EXPECT_LT(compact.sizeHint().height(), plain.sizeHint().height());
}

}  // namespace
