#include "theme/badge.h"
#include "theme/root.h"
#include "theme_support.h"

#include <QDesktopServices>
#include <QLabel>
#include <QTest>
#include <QUrl>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.append(url); }
};

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

TEST(MWSOCredit, ClickOpensTheMakersSite)
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("https", &catcher, "open");
    MWSOCredit credit;
    credit.resize(credit.sizeHint());
    EXPECT_FALSE(credit.toolTip().isEmpty());
    QTest::mouseClick(&credit, Qt::LeftButton, {}, credit.rect().center());
    QDesktopServices::unsetUrlHandler("https");
    ASSERT_EQ(catcher.urls.size(), 1);
    EXPECT_EQ(catcher.urls[0], QUrl(QLatin1String(kMarrowickSite)));
}

}  // namespace

#include "root_test.moc"
