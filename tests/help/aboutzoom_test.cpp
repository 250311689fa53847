#include "help/aboutview.h"
#include "help/aboutwindow.h"
#include "theme/mwui.h"

#include "common/layoutcheck.h"
#include "common/theme_state.h"

#include <QGuiApplication>
#include <QScreen>
#include <gtest/gtest.h>

// The about window is 420 × 380 at 100 % and grows with the zoom as far as
// the screen allows, nothing in it squeezed or cut, at one size the user
// does not drag.
TEST(AboutWindow, GrowsWithTheZoomWithinTheScreen)
{
    themetest::SharedState restore;
    MWUI::shared()->resetZoom();
    MWAbout::show(QStringLiteral("MWSO Cutwright"));
    QWidget* window = MWAbout::window();
    EXPECT_EQ(window->size(), QSize(420, 380));
    const QRect free = window->screen()->availableGeometry();
    for (const double zoom : {1.25, 1.75, 2.0}) {
        SCOPED_TRACE(zoom);
        MWUI::shared()->setZoom(zoom);
        QCoreApplication::processEvents();
        const QSize frame = window->frameGeometry().size() - window->size();
        EXPECT_EQ(window->size(), QSize(qRound(420 * zoom), qRound(380 * zoom))
                                      .expandedTo(MWAbout::view()->sizeHint())
                                      .boundedTo(free.size() - frame));
        EXPECT_EQ(window->minimumSize(), window->maximumSize());
        EXPECT_TRUE(free.contains(window->frameGeometry()));
        EXPECT_EQ(testutil::layoutFaults(window), QStringList());
        // A fresh view on opening it again finds the same room.
        MWAbout::show(QStringLiteral("MWSO Cutwright"));
        QCoreApplication::processEvents();
        EXPECT_EQ(testutil::layoutFaults(window), QStringList());
    }
    MWUI::shared()->resetZoom();
    QCoreApplication::processEvents();
    EXPECT_EQ(window->size(), QSize(420, 380));
    window->close();
}
