#include "common/testutil.h"
#include "theme/filedrop.h"
#include "theme_support.h"

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QSet<QString> kExts = {"mp4",  "mov", "m4v", "mpg", "mpeg", "vob", "ts",
                             "m2ts", "mts", "3gp", "avi", "mkv",  "webm"};

struct Target {
    QWidget widget;
    MWFileDrop* drop;
    QList<QList<QUrl>> imported;
    QStringList alerts;
    int answered = 0;

    explicit Target(const QSet<QString>& exts = kExts)
    {
        widget.resize(200, 120);
        drop = mwFileDrop(&widget, exts, [this](const QList<QUrl>& files) {
            imported.append(files);
            ++answered;
        });
        drop->setAlert([this](const QString& title, const QString& message) {
            alerts.append(title + " | " + message);
            ++answered;
        });
    }

    // A real drop of urls on the middle of the widget; waits for the answer
    // when one is expected.
    void dropUrls(const QList<QUrl>& urls, bool expectAnswer = true)
    {
        QMimeData mime;
        mime.setUrls(urls);
        const QPointF middle(100, 60);
        QDragEnterEvent enter(middle.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(&widget, &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent dropped(middle, Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(&widget, &dropped);
        EXPECT_TRUE(dropped.isAccepted());
        const int before = answered;
        if (expectAnswer)
            EXPECT_TRUE(testutil::waitUntil([&] { return answered > before; }, 10000));
        else
            QCoreApplication::processEvents();
    }
};

QUrl file(const QString& path)
{
    return QUrl::fromLocalFile(path);
}

TEST(MWFileDrop, AcceptsByLowerCasedExtensionInDropOrder)
{
    Target target;
    target.dropUrls({file("/videos/clip.TS")});
    ASSERT_EQ(target.imported.size(), 1);
    EXPECT_EQ(target.imported[0], QList<QUrl>({file("/videos/clip.TS")}));

    target.dropUrls({file("/n/notes.txt"), file("/v/a.mov"), file("/v/b.MKV")});
    ASSERT_EQ(target.imported.size(), 2);
    EXPECT_EQ(target.imported[1], QList<QUrl>({file("/v/a.mov"), file("/v/b.MKV")}));
    EXPECT_TRUE(target.alerts.isEmpty());
}

TEST(MWFileDrop, OnlyUnsupportedFilesAlertWithTheSortedList)
{
    Target target;
    target.dropUrls({file("/n/notes.txt")});
    EXPECT_TRUE(target.imported.isEmpty());
    ASSERT_EQ(target.alerts.size(), 1);
    EXPECT_EQ(target.alerts[0],
              "That file type isn't supported | Supported: 3gp, avi, m2ts, m4v, mkv, mov, mp4, "
              "mpeg, mpg, mts, ts, vob, webm");
}

TEST(MWFileDrop, NonFileUrlsAreIgnored)
{
    Target target;
    target.dropUrls({QUrl("https://example.org/a.mov")}, false);
    EXPECT_TRUE(target.imported.isEmpty());
    EXPECT_TRUE(target.alerts.isEmpty());
    target.dropUrls({QUrl("https://example.org/a.mov"), file("/v/b.mp4")});
    ASSERT_EQ(target.imported.size(), 1);
    EXPECT_EQ(target.imported[0], QList<QUrl>({file("/v/b.mp4")}));
}

TEST(MWFileDrop, FoldersAndMissingFilesAreNoCrash)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    Target target;
    target.dropUrls({file(dir.path())});  // a folder has no video extension
    EXPECT_EQ(target.alerts.size(), 1);
    const QString gone = dir.filePath("gone.mov");
    target.dropUrls({file(gone)});  // passed on; opening it reports the failure
    ASSERT_EQ(target.imported.size(), 1);
    EXPECT_EQ(target.imported[0].front().toLocalFile(), gone);
}

TEST(MWFileDrop, EmptySetAcceptsEverything)
{
    Target target{QSet<QString>()};
    target.dropUrls({file("/n/notes.txt"), file("/n/README")});
    ASSERT_EQ(target.imported.size(), 1);
    EXPECT_EQ(target.imported[0].size(), 2);
}

TEST(MWFileDrop, DashedBorderShowsOnlyWhileHovering)
{
    Target target;
    target.widget.setStyleSheet("background: black");
    target.widget.setAutoFillBackground(true);
    const auto border = [&] {
        const QImage image = target.widget.grab().toImage();
        int white = 0;
        for (int x = 0; x < image.width(); ++x)
            white += qGray(image.pixel(x, 1)) > 150;
        return white;
    };
    EXPECT_EQ(border(), 0);
    QMimeData mime;
    mime.setUrls({file("/v/a.mov")});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(&target.widget, &enter);
    EXPECT_TRUE(target.drop->hovering());
    const int dashes = border();
    // Dashed: a good share of the top edge is lit, but not all of it.
    EXPECT_GT(dashes, 40);
    EXPECT_LT(dashes, target.widget.width() - 40);
    QDragLeaveEvent leave;
    QApplication::sendEvent(&target.widget, &leave);
    EXPECT_FALSE(target.drop->hovering());
    EXPECT_EQ(border(), 0);
}

TEST(MWFileDrop, SupportedTextSortsTheExtensions)
{
    EXPECT_EQ(MWFileDrop::supportedText({"webm", "avi", "3gp"}), "Supported: 3gp, avi, webm");
    EXPECT_EQ(MWFileDrop::supportedText({}), "Supported: ");
}

}  // namespace
