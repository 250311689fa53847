#include "common/testutil.h"
#include "theme/filedrop.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

const QSet<QString> kExts = {"mp4",  "mov", "m4v", "mpg", "mpeg", "vob", "ts",
                             "m2ts", "mts", "3gp", "avi", "mkv",  "webm"};

QUrl file(const QString& path)
{
    return QUrl::fromLocalFile(path);
}

// A widget taking drops of files with the given extensions; it keeps what
// each drop passes on or alerts.
struct Target {
    QWidget widget;
    MWFileDrop* drop;
    QList<QList<QUrl>> imported;
    QStringList alerts;

    explicit Target(const QSet<QString>& exts)
    {
        widget.resize(200, 120);
        drop = mwFileDrop(&widget, exts, [this](const QList<QUrl>& files) { imported << files; });
        drop->setAlert([this](const QString& title, const QString& message) {
            alerts << title + " | " + message;
        });
    }

    // A drag of urls entering the middle of the widget; whether it was accepted.
    bool enter(const QMimeData& mime)
    {
        QDragEnterEvent event(QPoint(100, 60), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(&widget, &event);
        return event.isAccepted();
    }
};

// The dashed border shows only while a drag hovers; a drop passes on the files
// with a listed extension, in drop order, and alerts when none is left.
TEST(MWFileDrop, HoverShowsTheBorderAndADropPassesOnTheListedFilesInOrder)
{
    Target hovered{kExts};
    hovered.widget.setStyleSheet("background: black");
    hovered.widget.setAutoFillBackground(true);
    // Along the straight part of the top edge, clear of the corners.
    const auto litShare = [&] {
        const QImage image = hovered.widget.grab().toImage();
        int lit = 0, all = 0;
        for (int x = 24; x < image.width() - 24; ++x, ++all)
            lit += qGray(image.pixel(x, 1)) > 100;
        return double(lit) / all;
    };
    EXPECT_EQ(litShare(), 0);
    QMimeData mime;
    mime.setUrls({file("/v/a.mov")});
    EXPECT_TRUE(hovered.enter(mime));
    // Dashed 8 on, 6 off: a little over half the edge is lit (square caps
    // once made it 11 on, 3 off).
    EXPECT_NEAR(litShare(), 8.0 / 14, 0.08);
    QDragLeaveEvent leave;
    QApplication::sendEvent(&hovered.widget, &leave);
    EXPECT_EQ(litShare(), 0);

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
        {"an empty set accepts everything", {notes}, {notes}, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Target target{c.exts};
        QMimeData dropped;
        dropped.setUrls(c.dropped);
        EXPECT_TRUE(target.enter(dropped));
        QDropEvent drop(QPointF(100, 60), Qt::CopyAction, &dropped, Qt::LeftButton, {});
        QApplication::sendEvent(&target.widget, &drop);
        EXPECT_TRUE(drop.isAccepted());
        if (c.alert || !c.imported.isEmpty())
            EXPECT_TRUE(testutil::waitUntil(
                [&] { return !target.imported.isEmpty() || !target.alerts.isEmpty(); }, 10000));
        else
            QCoreApplication::processEvents();
        EXPECT_EQ(target.imported,
                  c.imported.isEmpty() ? QList<QList<QUrl>>() : QList<QList<QUrl>>{c.imported});
        EXPECT_EQ(target.alerts,
                  c.alert ? QStringList{"That file type isn't supported | Supported: 3gp, avi, "
                                        "m2ts, m4v, mkv, mov, mp4, mpeg, mpg, mts, ts, vob, webm"}
                          : QStringList());
    }
}

}  // namespace
