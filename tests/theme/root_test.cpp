#include "theme/root.h"
#include "theme_support.h"

#include <QLabel>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

TEST(MWRootLook, PaintsTheGradientAndFollowsTheFinish)
{
    themetest::SharedState keep;
    MWUI::shared()->setTheme(MWTheme::named("lavender-violet"));
    MWUI::shared()->setZoom(1.0);
    QWidget window;
    (new QVBoxLayout(&window))->addWidget(new QLabel("Hello"));
    mwsoRoot(&window);
    window.resize(300, 400);
    const auto check = [&](const MWTheme& t) {
        const QImage image = window.grab().toImage();
        EXPECT_LT(themetest::distance(image.pixelColor(299, 0), t.base), 4) << t.id.toStdString();
        EXPECT_LT(themetest::distance(image.pixelColor(299, 399), t.deep), 4) << t.id.toStdString();
        EXPECT_EQ(window.palette().color(QPalette::Highlight), t.accent);
        EXPECT_EQ(window.palette().color(QPalette::WindowText), t.text);
    };
    check(MWTheme::named("lavender-violet"));
    MWUI::shared()->setTheme(MWTheme::named("graphite-gray"));
    check(MWTheme::named("graphite-gray"));
    // Standard widgets inside take the zoomed font.
    MWUI::shared()->setZoom(2.0);
    EXPECT_EQ(window.font().pixelSize(), 26);
}

}  // namespace
