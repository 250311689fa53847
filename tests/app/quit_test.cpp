#include "app/unixsignals.h"
#include "app/window_fixture_support.h"
#include "common/testutil.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>
#include <unistd.h>

using storetest::savedSession;

namespace {

// The converter processes still running as children of this test.
int childConverters()
{
    int count = 0;
    const QString me = QString::number(::getpid());
    for (const QString& pid : QDir("/proc").entryList(QDir::Dirs)) {
        QFile stat("/proc/" + pid + "/stat");
        // "pid (comm) state ppid …"; the converter's name has no space in it.
        const QStringList f = stat.open(QIODevice::ReadOnly)
                                  ? QString::fromUtf8(stat.readAll()).split(' ')
                                  : QStringList();
        count += f.size() > 3 && f[1] == "(ffmpeg)" && f[3] == me;
    }
    return count;
}

}  // namespace

TEST_F(WindowTest, AQuitBeforeTheRestoreWritesNoSession)
{
    store->addClip();  // nothing of the user's yet: must not be saved over the file
    delegate->requestQuit(CWDelegate::QuitBy::user);
    EXPECT_EQ(terminated, 1);
    delegate->willTerminate();
    EXPECT_FALSE(QFileInfo::exists(CWStore::sessionURL()));

    showWindow();  // publishes the store and starts the restore
    ASSERT_TRUE(store->restoreStarted());
    delegate->willTerminate();
    ASSERT_TRUE(savedSession());
}

TEST_F(WindowTest, ClosingTheWindowQuits)
{
    showWindow();
    EXPECT_FALSE(window->close()) << "the delegate quits; the window stays until then";
    EXPECT_EQ(terminated, 1);
    EXPECT_EQ(asked, 0);
}

// A long export through the real converter, for a quit to meet: one clip
// running, one waiting, and a finished file of the user's beside them.
class ExportQuitTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        showWindow();
        const QUuid source = CWStoreTestAccess::addFixtureSource(*store, "export_long.mp4").id;
        QList<Clip> clips;
        for (const char* name : {"One", "Two"})
            clips << Clip{QUuid::createUuid(), source, name, 0, 11, Aspect::square, 1, 0.5, 0.5};
        CWStoreTestAccess::setClips(*store, clips);
        services->folder = out.path();
        services->cores = 4;  // one clip at a time: the second is waiting
        // A finished clip from before is the user's and stays.
        storetest::writeSession("mine", out.filePath("earlier.mp4"));
        store->exportAll();
        ASSERT_TRUE(store->exporting());
        ASSERT_TRUE(testutil::waitUntil(
            [&] { return store->exportRows()[0].progress > 0 && childConverters() > 0; }, 60000));
    }

    QTemporaryDir out;
};

// The user is asked and can keep exporting; a signal then quits without
// asking, stops the real converter, removes the partial file and saves.
TEST_F(ExportQuitTest, TheUserIsAskedASignalQuitsWithoutAskingAndCleansUp)
{
    delegate->requestQuit(CWDelegate::QuitBy::user);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(terminated, 0);
    EXPECT_TRUE(store->exporting());
    EXPECT_FALSE(delegate->quitting());

    CWUnixSignals unixSignals;
    QObject::connect(&unixSignals, &CWUnixSignals::received, delegate.get(),
                     [this] { delegate->requestQuit(CWDelegate::QuitBy::signal); });
    ::raise(SIGTERM);
    ASSERT_TRUE(testutil::waitUntil([&] { return terminated == 1; }, 60000));
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(store->exporting());
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files), QStringList{"earlier.mp4"})
        << "no partial file";
    EXPECT_EQ(childConverters(), 0);
    for (const ExportRow& r : store->exportRows())
        EXPECT_EQ(r.state, "Cancelled");
    delegate->willTerminate();
    ASSERT_TRUE(savedSession());
    EXPECT_EQ(savedSession()->clips.size(), 2);

    // Neither a second signal nor a close while quitting asks or quits again.
    ::raise(SIGINT);
    answer = true;
    window->close();
    QCoreApplication::processEvents();
    EXPECT_EQ(terminated, 1);
    EXPECT_EQ(asked, 1);
}

TEST_F(ExportQuitTest, AYesQuitsOnceTheExportHasStopped)
{
    answer = true;
    window->close();
    EXPECT_EQ(asked, 1);
    ASSERT_TRUE(testutil::waitUntil([&] { return terminated == 1; }, 60000));
    EXPECT_FALSE(store->exporting());
    EXPECT_EQ(QDir(out.path()).entryList(QDir::Files), QStringList{"earlier.mp4"});
    EXPECT_EQ(childConverters(), 0);
}
