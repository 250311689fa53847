// Pictures of the whole window for looking at, in every finish at 100 % and
// 150 % (or the finishes and zooms given): empty; with the given videos, their
// filmstrips and three clips; with a conversion under way; with the export
// queue over it; and with the 9:16 clip's safe zones shown. Each picture
// starts from the usual 1440 × 900 window, grown for the zoom as the program
// grows it on the screen it runs on.
// --size starts from another window size (the whole window, menu bar included).
//   cw_window_gallery [--zooms 1,1.5,2] [--finishes gunmetal-blue,...] [--size 1440x900]
//                     OUTPUT_FOLDER VIDEO...
// The first video is also imported under a very long name, to show how names
// give way. The program runs in a home of its own, so the user's session is
// never read or written.
#include "app/cwapp.h"
#include "app/delegate.h"
#include "app/mainwindow.h"
#include "platform/mpvplayer.h"
#include "platform/playersurface.h"
#include "platform/services.h"
#include "store/store.h"
#include "theme/mwui.h"
#include "views/mainview.h"
#include "views/viewer.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <clocale>
#include <cstdio>
#include <functional>

using namespace Qt::Literals::StringLiterals;

// The store lets this one class set what only a running import or batch would
// show, and would not hold still long enough to be pictured.
class CWStoreTestAccess {
public:
    static void setExport(CWStore& store, const QList<ExportRow>& rows, bool exporting)
    {
        store.assign(store.exporting_, exporting, CWStore::Field::exporting);
        store.assign(store.exportRows_, rows, CWStore::Field::exportRows);
    }
    static void setStatus(CWStore& store, std::optional<QString> busy,
                          std::optional<double> progress)
    {
        store.assign(store.busy_, busy, CWStore::Field::busy);
        store.assign(store.progress_, progress, CWStore::Field::progress);
    }
};

namespace {

bool waitFor(const std::function<bool()>& done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms)
            return false;
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

bool fail(const char* what)
{
    std::fprintf(stderr, "cw_window_gallery: %s\n", what);
    return false;
}

QList<ExportRow> queueRows(const QString& name)
{
    QList<ExportRow> rows;
    for (const auto& [clip, progress, state] :
         {std::tuple{u" – clip 1.mp4", 1.0, u"Done"},
          std::tuple{u" – clip 2.mp4", 0.4, u"Exporting…"},
          std::tuple{u" – clip 3.mp4", 0.0,
                     u"Failed: The converter stopped: Could not write header for output file #0 "
                     u"(incorrect codec parameters?): Invalid argument"},
          std::tuple{u" – clip 4.mp4", 0.0, u"Waiting"}})
        rows.append(ExportRow{QUuid::createUuid(), name + QString::fromUtf16(clip), progress,
                              QString::fromUtf16(state), std::nullopt});
    return rows;
}

struct Choice {
    QList<double> zooms{1.0, 1.5};
    QStringList finishes;  // every finish when empty
    QSize size;            // the window's own when empty
};

bool run(const QDir& out, QStringList videos, const QString& home, const Choice& choice)
{
    // A copy under a long name shows how the bin and the queue cut names.
    const QString longName =
        home +
        u"/Family reunion at the lake house, summer 2024 - full uncut camera roll (phone)."_s +
        QFileInfo(videos.first()).suffix();
    if (!QFile::copy(videos.first(), longName))
        return fail("can't copy the first video");
    videos.append(longName);

    auto* store = new CWStore(new MWMpvPlayer({.video = true, .audio = false}));
    CWDelegate delegate;
    CWMainWindow window(store, &delegate);
    window.show();
    CWViewer* viewer = window.findChild<CWMain*>()->viewer();
    bool ok = true;
    const QSize usual = choice.size.isEmpty() ? window.size() : choice.size;
    const auto shoot = [&](const QString& name, double, bool drawn) {
        // The window's minimum follows the zoom a round later.
        waitFor([] { return false; }, 20);
        window.resize(usual);
        window.growToZoom();
        if (drawn) {
            bool rendered = false;
            QObject::connect(viewer->surface(), &MWPlayerSurface::frameRendered, &window,
                             [&] { rendered = true; });
            store->seek(store->time());
            waitFor([&] { return rendered; }, 10000);
        }
        waitFor([] { return false; }, 50);  // the layout settles a round later
        ok &= window.grab().save(out.filePath(name + u".png"_s));
    };
    const auto everyFinish = [&](const std::function<void(const QString&, double)>& take) {
        for (const MWTheme& theme : MWTheme::all())
            for (const double zoom : choice.zooms) {
                if (!choice.finishes.isEmpty() && !choice.finishes.contains(theme.id))
                    continue;
                MWUI::shared()->setTheme(theme);
                MWUI::shared()->setZoom(zoom);
                take(QStringLiteral("%1-%2").arg(theme.id).arg(qRound(zoom * 100)), zoom);
            }
    };

    everyFinish([&](const QString& name, double zoom) { shoot(u"empty-"_s + name, zoom, false); });

    bool imported = false;
    QObject::connect(store, &CWStore::importFinished, [&] { imported = true; });
    store->importFiles(videos);
    const auto filmstrips = [&] {
        for (const CWSource& s : store->sources())
            if (s.thumbs.isEmpty())
                return false;
        return !store->sources().isEmpty();
    };
    if (!waitFor([&] { return imported && filmstrips(); }, 300000))
        return fail("the videos did not load");
    store->select(store->sources().last().id);
    const double length = store->current()->media.duration;
    for (const auto& [in, out, aspect] :
         {std::tuple{0.0, 0.3, Aspect::vertical}, std::tuple{0.2, 0.65, Aspect::square},
          std::tuple{0.4, 0.8, Aspect::wide}}) {
        store->seek(in * length);
        store->markIn();
        store->seek(out * length);
        store->markOut();
        store->setAspect(aspect);
        store->addClip();
    }
    store->selectClip(store->clips()[1]);

    const QList<ExportRow> rows = queueRows(QFileInfo(longName).completeBaseName());
    everyFinish([&](const QString& name, double zoom) {
        shoot(name, zoom, true);
        CWStoreTestAccess::setStatus(*store, u"Converting “talk.ts”…"_s, 0.4);
        shoot(u"busy-"_s + name, zoom, false);
        CWStoreTestAccess::setStatus(*store, std::nullopt, std::nullopt);
        CWStoreTestAccess::setExport(*store, rows, true);
        shoot(u"queue-"_s + name, zoom, false);
        CWStoreTestAccess::setExport(*store, {}, false);
        // The 9:16 clip with the platforms' safe zones shaded in its frame.
        store->selectClip(store->clips()[0]);
        MWUI::shared()->setSafeZones(true);
        shoot(u"safe-"_s + name, zoom, true);
        MWUI::shared()->setSafeZones(false);
        store->selectClip(store->clips()[1]);
    });
    // The square clip's frame moving: three points, the playhead in the glide
    // between the first two, the last one a cut.
    store->selectClip(store->clips()[1]);
    const Clip moving = store->clips()[1];
    const double span = moving.outTime - moving.inTime;
    store->seek(moving.inTime + 0.5 * span);
    store->setZoom(1.6);
    store->setCenterX(0.3);
    store->seek(moving.inTime + 0.8 * span);
    store->setCenterX(0.7);
    store->setPointCut(2, true);
    store->seek(moving.inTime + 0.3 * span);
    everyFinish([&](const QString& name, double zoom) { shoot(u"points-"_s + name, zoom, true); });
    CWApp::publish(nullptr);
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    Choice choice;
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    while (args.size() >= 2 && args.first().startsWith(u"--"_s)) {
        const QString option = args.takeFirst();
        const QStringList values = args.takeFirst().split(u',', Qt::SkipEmptyParts);
        if (option == u"--zooms"_s) {
            choice.zooms.clear();
            for (const QString& v : values)
                choice.zooms << v.toDouble();
        } else if (option == u"--finishes"_s) {
            choice.finishes = values;
        } else if (option == u"--size"_s && !values.isEmpty()) {
            const QStringList sides = values.first().split(u'x');
            if (sides.size() == 2)
                choice.size = QSize(sides[0].toInt(), sides[1].toInt());
        }
    }
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: cw_window_gallery [--zooms 1,1.5] [--finishes id,...] "
                             "[--size WxH] OUTPUT_FOLDER VIDEO...\n");
        return 2;
    }
    // A home of its own before anything reads the folders.
    QTemporaryDir home;
    for (const char* variable :
         {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"})
        qputenv(variable, home.path().toLocal8Bit());
    QApplication app(argc, argv);
    cwNameApplication();
    std::setlocale(LC_NUMERIC, "C");  // libmpv refuses to start otherwise
    const QDir out(args.takeFirst());
    if (!QDir().mkpath(out.path()))
        return 1;
    QStringList videos;
    for (const QString& video : std::as_const(args))
        videos << QFileInfo(video).absoluteFilePath();
    return run(out, videos, home.path(), choice) ? 0 : 1;
}
