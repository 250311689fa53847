#include "help/chrometext.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace Qt::Literals::StringLiterals;

TEST(ChromeText, ZoomLabelIsAWholePercentageAndTheVersionLineFallsBack)
{
    // A half rounds away from zero.
    const std::pair<double, int> cases[] = {{0.85, 85}, {1.125, 113}, {1.334, 133}};
    for (const auto& [zoom, percent] : cases)
        EXPECT_EQ(MWChromeText::zoomLabel(zoom), u"Interface Zoom: %1%"_s.arg(percent)) << zoom;

    // Blank parts fall back one by one.
    const std::tuple<QString, QString, QString> versions[] = {
        {u"1.0.0"_s, u"7"_s, u"Version 1.0.0 (build 7)"_s},
        {u" "_s, u"12"_s, u"Version 2.0 (build 12)"_s},
        {u"3.1"_s, u"  "_s, u"Version 3.1 (build -)"_s},
    };
    for (const auto& [version, build, text] : versions)
        EXPECT_EQ(MWChromeText::versionText(version, build), text);
}

TEST(AboutText, ThisBuildNamesTheConfiguredVersionAndBuildNumber)
{
    QFile lists(QDir(QStringLiteral(CW_SOURCE_DIR)).filePath(u"CMakeLists.txt"_s));
    ASSERT_TRUE(lists.open(QIODevice::ReadOnly));
    const auto project = QRegularExpression(u"project\\(Cutwright VERSION ([0-9.]+)"_s)
                             .match(QString::fromUtf8(lists.readAll()));
    ASSERT_TRUE(project.hasMatch());

    // The build tree's cache holds the build number this build was configured with.
    QFile cache(QDir::cleanPath(QStringLiteral(CW_FIXTURE_DIR "/../CMakeCache.txt")));
    ASSERT_TRUE(cache.open(QIODevice::ReadOnly));
    const auto build =
        QRegularExpression(u"^CW_BUILD_NUMBER:STRING=(.*)$"_s, QRegularExpression::MultilineOption)
            .match(QString::fromUtf8(cache.readAll()));
    ASSERT_TRUE(build.hasMatch());

    EXPECT_EQ(MWChromeText::buildVersion(), project.captured(1));
    EXPECT_EQ(MWChromeText::buildNumber(), build.captured(1));
    EXPECT_EQ(MWChromeText::aboutVersionText(),
              MWChromeText::versionText(project.captured(1), build.captured(1)));
}
