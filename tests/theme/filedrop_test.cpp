#include "common/testutil.h"
#include "theme/filedrop.h"
#include "theme_support.h"

#include <QApplication>
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

// The dashed border shows only while a drag hovers; a drop passes on the files
// with a listed extension, in drop order, and alerts when none is left.
TEST(MWFileDrop, HoverShowsTheBorderAndADropPassesOnTheListedFilesInOrder)
{
    Target hovered;
    hovered.widget.setStyleSheet("background: black");
    hovered.widget.setAutoFillBackground(true);
    const auto border = [&] {
        const QImage image = hovered.widget.grab().toImage();
        int white = 0;
        for (int x = 0; x < image.width(); ++x)
            white += qGray(image.pixel(x, 1)) > 150;
        return white;
    };
    EXPECT_EQ(border(), 0);
    QMimeData mime;
    mime.setUrls({file("/v/a.mov")});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, {});
    QApplication::sendEvent(&hovered.widget, &enter);
    EXPECT_TRUE(hovered.drop->hovering());
    // Dashed: a good share of the top edge is lit, but not all of it.
    EXPECT_GT(border(), 40);
    EXPECT_LT(border(), hovered.widget.width() - 40);
    QDragLeaveEvent leave;
    QApplication::sendEvent(&hovered.widget, &leave);
    EXPECT_FALSE(hovered.drop->hovering());
    EXPECT_EQ(border(), 0);

    QTemporaryDir dir;
    const QUrl notes = file("/n/notes.txt"), web = QUrl("https://example.org/a.mov");
    const QUrl gone = file(dir.filePath("gone.mov"));
    struct Case {
        const char* what;
        QList<QUrl> dropped, imported;
        bool alert = false;
        QSet<QString> exts = kExts;
    };
    const Case cases[] = {
        {"order, any case",
         {notes, file("/v/a.mov"), file("/v/b.MKV")},
         {file("/v/a.mov"), file("/v/b.MKV")}},
        {"web address alone: nothing", {web}, {}},
        {"web address beside a file", {web, file("/v/b.mp4")}, {file("/v/b.mp4")}},
        {"only unsupported", {notes}, {}, true},
        {"a missing file: opening it reports the failure", {gone}, {gone}},
        {"an empty set accepts everything",
         {notes, file("/n/README")},
         {notes, file("/n/README")},
         false,
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Target target{c.exts};
        target.dropUrls(c.dropped, c.alert || !c.imported.isEmpty());
        EXPECT_EQ(target.imported,
                  c.imported.isEmpty() ? QList<QList<QUrl>>() : QList<QList<QUrl>>{c.imported});
        EXPECT_EQ(target.alerts,
                  c.alert ? QStringList{"That file type isn't supported | Supported: 3gp, avi, "
                                        "m2ts, m4v, mkv, mov, mp4, mpeg, mpg, mts, ts, vob, webm"}
                          : QStringList());
    }
}

}  // namespace
