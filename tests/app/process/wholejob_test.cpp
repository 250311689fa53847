// The whole job as a user does it: the real program on a private desktop,
// driven only through its window with real keys and a real mouse, from two
// imported videos to two exported clips, and both clips back after a restart.
#include "common/export_probe.h"
#include "model/clip.h"
#include "program_fixture.h"

#include <QMap>
#include <QRect>
#include <QUrl>
#include <sys/stat.h>
#include <tuple>

namespace {

// The desktop's file manager on the test's own bus: the program shows the
// finished files in it once a batch is over, which is the moment to look.
class FileManager : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    QStringList shown;

public slots:
    void ShowItems(const QStringList& uris, const QString&) { shown += uris; }
};

// The first shown window whose title matches, once there is one.
QString visibleWindow(const QString& title)
{
    return findWindow({"--onlyvisible", "--name", title});
}

QRect windowGeometry(const QString& window)
{
    QMap<QString, int> g;
    for (const QString& line : xdotool({"getwindowgeometry", "--shell", window}).split('\n'))
        g[line.section('=', 0, 0)] = line.section('=', 1).toInt();
    return QRect(g["X"], g["Y"], g["WIDTH"], g["HEIGHT"]);
}

// Every save replaces the file. Its inode alone can't tell: the file system
// may give a later save the number an earlier one freed; with the time of the
// change it tells each save apart.
std::tuple<ino_t, time_t, long> stamp(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return {st.st_ino, st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
}
}  // namespace

class WholeJobTest : public ProgramTest {
protected:
    void SetUp() override
    {
        makeHome({"Videos", "Clips"});
        QDBusConnection bus = QDBusConnection::sessionBus();
        ASSERT_TRUE(bus.registerObject("/org/freedesktop/FileManager1", &fileManager,
                                       QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(bus.registerService("org.freedesktop.FileManager1"));
    }

    // Keys pressed one after another with the window in front.
    static void press(const QString& window, const QStringList& keys)
    {
        xdotool(QStringList{"windowfocus", "--sync", window, "key", "--delay", "40"} + keys);
    }

    // A file dialog answered from the keyboard: the path typed into its name
    // field, then Return.
    static bool answer(const QString& title, const QString& path)
    {
        const QString dialog = visibleWindow(title);
        xdotool({"windowfocus", "--sync", dialog, "type", "--delay", "15", path});
        xdotool({"windowfocus", "--sync", dialog, "key", "Return"});
        return !dialog.isEmpty();
    }

    // Drags the crop frame by dx points from the middle of the viewer, where
    // the frame stands at its start (the picture is centred in the viewer and
    // the frame in the picture). The viewer lies between the 230-point bin and
    // the 300-point inspector, under the header and above the 190-point
    // timeline, inside 12-point margins with 10-point spacing.
    static void dragFrame(const QString& window, int dx)
    {
        const QRect w = windowGeometry(window);
        const int x = w.left() + (12 + 230 + 10 + w.width() - 12 - 300 - 10) / 2;
        const int y = w.top() + (12 + 62 + 10 + w.height() - 12 - 20 - 10 - 190 - 10) / 2;
        QStringList steps = QString("mousemove --sync %1 %2 mousedown 1").arg(x).arg(y).split(' ');
        for (int step = 1; step <= 4; ++step)
            steps += QString("mousemove --sync %1 %2").arg(x + dx * step / 4).arg(y).split(' ');
        xdotool(steps + QStringList{"mouseup", "1"});
    }

    FileManager fileManager;
};

TEST_F(WholeJobTest, TwoVideosBecomeTwoExportedClipsThatComeBackAfterARestart)
{
    const QString videos = home.filePath("Videos");
    const QString wide = testutil::copyFixture("wholejob_wide.mp4", videos, "Beach Day.mp4");
    const QString broadcast = testutil::copyFixture("wholejob_broadcast.ts", videos, "match.ts");
    const QString clips = home.filePath("Clips");

    QProcess* app = launch({"Beach Day.mp4"}, videos);
    ASSERT_TRUE(sessionWhen([](const CWSession& s) { return s.allSources().size() == 1; }));
    const QString window = visibleWindow("^MWSO Cutwright$");
    ASSERT_FALSE(window.isEmpty());

    // In at 0, the playhead on to 4 s, Out there; the tall shape moved right.
    press(window, {"i", "l", "l", "o", "1"});
    dragFrame(window, 120);
    press(window, {"Return"});
    ASSERT_TRUE(sessionWhen([](const CWSession& s) { return s.clips.size() == 1; }));

    press(window, {"ctrl+i"});
    ASSERT_TRUE(answer("^Choose one or more videos", broadcast));
    // Converted first, then opened: the slowest step of the job.
    ASSERT_TRUE(sessionWhen([](const CWSession& s) { return s.allSources().size() == 2; }, 100000));
    press(window, {"i", "l", "l", "o", "2", "Return"});
    ASSERT_TRUE(sessionWhen([](const CWSession& s) { return s.clips.size() == 2; }));

    press(window, {"ctrl+e"});
    ASSERT_TRUE(answer("^Choose a folder for the 2 clips$", clips));
    ASSERT_TRUE(testutil::waitUntil([&] { return fileManager.shown.size() >= 2; }, 100000))
        << "the finished files are shown once the batch is over";

    const struct {
        QString file, name;
        Aspect aspect;
        QSize size;
    } outputs[] = {
        {"01 Beach Day – clip 1 (9x16).mp4", "Beach Day – clip 1", Aspect::vertical, {1080, 1920}},
        {"02 match – clip 1 (1x1).mp4", "match – clip 1", Aspect::square, {1080, 1080}},
    };
    QStringList expected;
    for (const auto& o : outputs)
        expected << QUrl::fromLocalFile(QDir(clips).filePath(o.file)).toString();
    EXPECT_EQ(fileManager.shown, expected);
    EXPECT_EQ(QDir(clips).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{outputs[0].file, outputs[1].file}))
        << "no partial or temporary file left";
    for (const auto& o : outputs) {
        SCOPED_TRACE(o.file.toStdString());
        const exporttest::Probe p = exporttest::probe(QDir(clips).filePath(o.file));
        EXPECT_EQ(p.size(), o.size);
        EXPECT_TRUE(p.audio);
        EXPECT_NEAR(p.duration(), 4.0, 1.0 / 25 + 0.005);
    }

    // The queue closes on Escape after a batch; the check that matters is the
    // files and the session, so the job goes on either way.
    press(window, {"Escape"});
    const auto saved = stamp(sessionPath());
    press(window, {"ctrl+q"});
    expectEnd(app);
    ASSERT_NE(stamp(sessionPath()), saved) << "the quit saves the session";

    // Again, with nothing on the command line: the last session comes back.
    const auto quitSave = stamp(sessionPath());
    QProcess* again = launch({}, home.path());
    const auto restored = sessionWhen([&](const CWSession& s) {
        return stamp(sessionPath()) != quitSave && s.clips.size() == 2;
    });
    ASSERT_TRUE(restored) << "the restore writes the session back";
    EXPECT_EQ(sourcePaths(*restored), (QStringList{wide, broadcast}));
    ASSERT_EQ(restored->clips.size(), 2);
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(outputs[i].name.toStdString());
        const Clip& c = restored->clips[i];
        EXPECT_EQ(c.name, outputs[i].name);
        EXPECT_EQ(c.aspect, outputs[i].aspect);
        EXPECT_NEAR(c.inTime, 0.0, 1e-6);
        EXPECT_NEAR(c.outTime, 4.0, 1e-6);
        EXPECT_DOUBLE_EQ(c.centerY, 0.5);
    }
    // The tall frame spans the wide picture's height, so the drag moved it
    // only sideways, to the right.
    EXPECT_GT(restored->clips[0].centerX, 0.55);

    const QString second = visibleWindow("^MWSO Cutwright$");
    ASSERT_FALSE(second.isEmpty());
    press(second, {"ctrl+q"});
    expectEnd(again);
}

#include "wholejob_test.moc"
