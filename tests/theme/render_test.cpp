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
#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

struct Control {
    const char* name;
    QAccessible::Role role;
    QWidget* widget;
};

// One of each control as the views set it up, in a column on window.
std::vector<Control> kit(QWidget& window)
{
    auto* column = new QVBoxLayout(&window);
    std::vector<Control> all;
    const auto add = [&](const char* name, QAccessible::Role role, QWidget* widget) {
        column->addWidget(widget);
        all.push_back({name, role, widget});
    };
    auto* panel = new MWPanel;
    panel->setAccessibleName("Inspector");
    (new QVBoxLayout(panel))->addWidget(new MWCaption("Shape"));
    add("MWPanel", QAccessible::Pane, panel);
    auto* well = new MWWell;
    well->setAccessibleName("Picture");
    (new QVBoxLayout(well))->addWidget(new MWLCD("00:01:02.3"));
    add("MWWell", QAccessible::Pane, well);
    add("MWChromeButton", QAccessible::Button, new MWChromeButton("Add Clip"));
    auto* prominent = new MWChromeButton("Export All");
    prominent->setProminent(true);
    prominent->setSymbol("square.and.arrow.up");
    add("MWChromeButton prominent", QAccessible::Button, prominent);
    auto* orb = new MWOrbButton("play.fill");
    orb->setLit(true);
    orb->setHelp("Play");
    add("MWOrbButton", QAccessible::Button, orb);
    auto* segment = new MWSegment;
    segment->setAccessibleName("Shape");
    segment->setItems<int>({{0, "9:16"}, {1, "1:1"}, {2, "4:5"}, {3, "16:9"}});
    segment->select(1);
    add("MWSegment", QAccessible::Grouping, segment);
    auto* knob = new MWKnob("Zoom", 1, 3);
    knob->setValue(2);
    add("MWKnob", QAccessible::Dial, knob);
    add("MWSwitch", QAccessible::CheckBox, new MWSwitch("Keep inside picture"));
    add("MWLCD", QAccessible::StaticText, new MWLCD("0:12.4"));
    add("MWCaption", QAccessible::Heading, new MWCaption("Crop"));
    add("MWChromeTitle", QAccessible::Heading, new MWChromeTitle("Cut", "wright"));
    add("MWSOBadge", QAccessible::StaticText, new MWSOBadge);
    add("MWSOCredit", QAccessible::Link, new MWSOCredit);
    return all;
}

// Each control draws in every finish and zoom and grows with the zoom; in a
// window it reuses its cached faces on a warm repaint, shows focus, disabled
// and hover faces where it takes clicks, restyles at once when the finish or
// zoom changes, and has an accessible name and role.
TEST(ControlKit, EveryControlDrawsShowsItsStatesRestylesAndIsAccessible)
{
    themetest::SharedState keep;
    for (const MWTheme& theme : MWTheme::all()) {
        MWUI::shared()->setTheme(theme);
        std::vector<QSize> atActualSize;
        for (double zoom : {1.0, 2.0}) {
            MWUI::shared()->setZoom(zoom);
            QWidget window;
            const std::vector<Control> controls = kit(window);
            for (size_t i = 0; i < controls.size(); ++i) {
                QWidget& widget = *controls[i].widget;
                widget.resize(widget.sizeHint());
                EXPECT_TRUE(themetest::drawn(widget.grab().toImage()))
                    << controls[i].name << " blank in " << theme.id.toStdString() << " at " << zoom;
                if (zoom == 1.0)
                    atActualSize.push_back(widget.sizeHint());
                EXPECT_NEAR(widget.sizeHint().width(), zoom * atActualSize[i].width(), 6);
                EXPECT_NEAR(widget.sizeHint().height(), zoom * atActualSize[i].height(), 6);
            }
        }
    }

    MWUI::shared()->setTheme(MWTheme::named("gunmetal-blue"));
    MWUI::shared()->setZoom(1.0);
    QWidget window;
    const std::vector<Control> controls = kit(window);
    // The offscreen platform warns that it cannot pass size hints on; nothing to see.
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    window.show();
    qInstallMessageHandler(previous);
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    std::vector<QImage> before;
    std::vector<QSize> hints;
    for (const Control& c : controls) {
        SCOPED_TRACE(c.name);
        QWidget* widget = c.widget;
        widget->clearFocus();  // the window gave the first one the focus
        const QImage plain = widget->grab().toImage();
        const long long built = MWFace::builds();
        EXPECT_EQ(widget->grab().toImage(), plain);
        EXPECT_EQ(MWFace::builds(), built) << "redrew its face";
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
        ASSERT_NE(accessible, nullptr);
        EXPECT_EQ(accessible->role(), c.role);
        EXPECT_FALSE(accessible->text(QAccessible::Name).isEmpty());
        if (widget->focusPolicy() == Qt::StrongFocus) {  // the controls that take clicks
            widget->setFocus(Qt::TabFocusReason);
            EXPECT_NE(widget->grab().toImage(), plain) << "shows no focus";
            widget->clearFocus();
            EXPECT_EQ(widget->grab().toImage(), plain);
            widget->setEnabled(false);
            EXPECT_NE(widget->grab().toImage(), plain) << "looks enabled";
            widget->setEnabled(true);
        }
        // Hover as the application marks the widget under the pointer; the
        // segment's is per item, below.
        if (qobject_cast<QAbstractButton*>(widget)) {
            widget->setAttribute(Qt::WA_UnderMouse, true);
            EXPECT_NE(widget->grab().toImage(), plain) << "shows no hover";
            widget->setAttribute(Qt::WA_UnderMouse, false);
        }
        before.push_back(plain);
        hints.push_back(widget->sizeHint());
    }
    auto* segment = static_cast<MWSegment*>(controls.at(5).widget);
    const QImage plainSegment = segment->grab().toImage();
    const QPointF item = segment->itemRect(0).center();  // not the selected one
    QMouseEvent move(QEvent::MouseMove, item, segment->mapToGlobal(item), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(segment, &move);
    EXPECT_NE(segment->grab().toImage(), plainSegment);

    MWUI::shared()->setTheme(MWTheme::named("anodized-red"));
    for (size_t i = 0; i < controls.size(); ++i)
        EXPECT_NE(controls[i].widget->grab().toImage(), before[i]) << controls[i].name;
    MWUI::shared()->setZoom(1.5);
    for (size_t i = 0; i < controls.size(); ++i)
        EXPECT_NE(controls[i].widget->sizeHint(), hints[i]) << controls[i].name;
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

}  // namespace
