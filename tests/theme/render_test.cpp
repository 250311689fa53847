#include "theme/badge.h"
#include "theme/buttons.h"
#include "theme/kit.h"
#include "theme/knob.h"
#include "theme/panel.h"
#include "theme/segment.h"
#include "theme/switch.h"
#include "theme/text.h"
#include "theme_support.h"

#include <QAccessible>
#include <QPainter>
#include <QVBoxLayout>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

using Factory = std::function<std::unique_ptr<QWidget>()>;

// Factories for a W made from args, as it is or then set up.
template <class W, class... Args> Factory made(Args... args)
{
    return [=] { return std::make_unique<W>(args...); };
}

template <class W, class SetUp, class... Args> Factory madeThen(SetUp setUp, Args... args)
{
    return [=] {
        auto widget = std::make_unique<W>(args...);
        setUp(*widget);
        return widget;
    };
}

const struct Control {
    const char* name;
    QAccessible::Role role;
    Factory make;
} controls[] = {
    {"MWPanel", QAccessible::Pane, madeThen<MWPanel>([](MWPanel& p) {
         (new QVBoxLayout(&p))->addWidget(new MWCaption("Shape"));
     })},
    {"MWWell", QAccessible::Pane, madeThen<MWWell>([](MWWell& w) {
         (new QVBoxLayout(&w))->addWidget(new MWLCD("00:01:02.3"));
     })},
    {"MWChromeButton", QAccessible::Button, made<MWChromeButton>("Add Clip")},
    {"MWChromeButton prominent", QAccessible::Button,
     madeThen<MWChromeButton>(
         [](MWChromeButton& b) {
             b.setProminent(true);
             b.setSymbol("square.and.arrow.up");
         },
         "Export All")},
    {"MWOrbButton", QAccessible::Button,
     madeThen<MWOrbButton>(
         [](MWOrbButton& o) {
             o.setLit(true);
             o.setHelp("Play");
         },
         "play.fill")},
    {"MWSegment", QAccessible::PageTabList, madeThen<MWSegment>([](MWSegment& s) {
         s.setItems<int>({{0, "9:16"}, {1, "1:1"}, {2, "4:5"}, {3, "16:9"}});
         s.select(1);
     })},
    {"MWKnob", QAccessible::Dial, madeThen<MWKnob>([](MWKnob& k) { k.setValue(2); }, "Zoom", 1, 3)},
    {"MWSwitch", QAccessible::CheckBox, made<MWSwitch>("Keep inside picture")},
    {"MWLCD", QAccessible::StaticText, made<MWLCD>("0:12.4")},
    {"MWCaption", QAccessible::Heading, made<MWCaption>("Crop")},
    {"MWChromeTitle", QAccessible::Heading, made<MWChromeTitle>("Cut", "wright")},
    {"MWSOBadge", QAccessible::StaticText, made<MWSOBadge>()},
    {"MWSOCredit", QAccessible::Link, made<MWSOCredit>()},
};

// Each control draws in every finish and zoom, grows with the zoom, restyles
// at once when either changes, reuses its cached faces on a warm repaint, and
// has an accessible name and role.
TEST(ControlKit, EveryControlDrawsRestylesAndIsAccessible)
{
    themetest::SharedState keep;
    for (const Control& control : controls) {
        SCOPED_TRACE(control.name);
        for (const MWTheme& theme : MWTheme::all()) {
            MWUI::shared()->setTheme(theme);
            QSize atActualSize;
            for (double zoom : {1.0, 2.0}) {
                MWUI::shared()->setZoom(zoom);
                const auto widget = control.make();
                EXPECT_TRUE(themetest::drawn(themetest::render(*widget)))
                    << "blank in " << theme.id.toStdString() << " at " << zoom;
                if (zoom == 1.0)
                    atActualSize = widget->sizeHint();
                if (zoom == 2.0) {
                    EXPECT_NEAR(widget->sizeHint().width(), 2.0 * atActualSize.width(), 6);
                    EXPECT_NEAR(widget->sizeHint().height(), 2.0 * atActualSize.height(), 6);
                }
            }
        }

        MWUI::shared()->setTheme(MWTheme::named("gunmetal-blue"));
        MWUI::shared()->setZoom(1.0);
        const auto widget = control.make();
        const QImage before = themetest::render(*widget);
        const long long built = MWFace::builds();
        EXPECT_EQ(widget->grab().toImage(), before);
        EXPECT_EQ(MWFace::builds(), built) << "redrew its face";
        const QSize hint = widget->sizeHint();
        MWUI::shared()->setTheme(MWTheme::named("anodized-red"));
        EXPECT_NE(widget->grab().toImage(), before) << "kept its old finish";
        MWUI::shared()->setZoom(1.5);
        EXPECT_NE(widget->sizeHint(), hint) << "kept its old size";

        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget.get());
        ASSERT_NE(accessible, nullptr);
        EXPECT_EQ(accessible->role(), control.role);
        EXPECT_FALSE(accessible->text(QAccessible::Name).isEmpty());
    }
}

TEST(ControlKit, FacesAreMadeAtTheDevicePixelRatio)
{
    MWFace face;
    const QPixmap& pixmap = face.get(QSizeF(30, 20), 2.0, "x", [](QPainter& p, const QSizeF& s) {
        p.fillRect(QRectF(QPointF(), s), Qt::red);
    });
    EXPECT_EQ(pixmap.size(), QSize(60, 40));
    EXPECT_DOUBLE_EQ(pixmap.devicePixelRatio(), 2.0);
    EXPECT_EQ(pixmap.toImage().pixelColor(59, 39), QColor(Qt::red));  // the whole device area
}

TEST(BrushedLines, BarsFollowTheFixedPattern)
{
    EXPECT_TRUE(brushedBars(0).isEmpty());
    EXPECT_TRUE(brushedBars(-3).isEmpty());
    const QVector<BrushedBar> bars = brushedBars(16);
    ASSERT_EQ(bars.size(), 10);                                   // y = 0, 1.6, … 14.4
    const double opacities[] = {0, 2, 4, 6, 8, 10, 12, 1, 3, 5};  // (i × 7919) mod 13
    for (int i = 0; i < bars.size(); ++i) {
        EXPECT_NEAR(bars[i].y, 1.6 * i, 1e-9);
        EXPECT_DOUBLE_EQ(bars[i].height, 0.6);
        EXPECT_NEAR(bars[i].opacity, opacities[i] / 13.0, 1e-12) << i;
    }
    EXPECT_EQ(brushedBars(16.01).size(), 11);
}

}  // namespace
