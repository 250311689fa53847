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
    // The first capture of pattern in the file at path.
    const auto first = [](const QString& path, const QString& pattern) {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        return QRegularExpression(pattern, QRegularExpression::MultilineOption)
            .match(QString::fromUtf8(file.readAll()))
            .captured(1);
    };
    const QString version = first(QStringLiteral(CW_SOURCE_DIR "/CMakeLists.txt"),
                                  u"project\\(Cutwright VERSION ([0-9.]+)"_s);
    // The build tree's cache holds the build number this build was configured with.
    const QString build =
        first(QDir::cleanPath(QStringLiteral(CW_FIXTURE_DIR "/../CMakeCache.txt")),
              u"^CW_BUILD_NUMBER:STRING=(.*)$"_s);
    ASSERT_FALSE(version.isEmpty());
    EXPECT_EQ(MWChromeText::buildVersion(), version);
    EXPECT_EQ(MWChromeText::buildNumber(), build);
    EXPECT_EQ(MWChromeText::aboutVersionText(), MWChromeText::versionText(version, build));
}
