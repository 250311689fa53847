// A store that edits and saves its session as fast as it can, for the crash
// test. Each generation number read on stdin forks a child that saves until it
// is killed; after each save the child prints how many clips that save held.
// Forking keeps the libraries loaded once: starting the program took ten times
// as long as a generation's saves.
#include "common/silentplayer.h"
#include "common/storeaccess.h"
#include "platform/services.h"
#include "store/store.h"

#include <QCoreApplication>
#include <csignal>
#include <cstdio>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

[[noreturn]] void saveUntilKilled(int argc, char** argv, int generation)
{
    prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlives the test's process
    QCoreApplication app(argc, argv);
    cwNameApplication();
    CWStore store(new SilentPlayer);
    CWSource source;
    source.id = QUuid::createUuid();
    source.media.original = QStringLiteral("/videos/writer.mov");
    source.media.duration = 3600;
    CWStoreTestAccess::addSource(store, source);
    store.select(source.id);
    CWStoreTestAccess::setRestoreStarted(store, true);

    // A few hundred clips make each save large enough to be caught half-way.
    QList<Clip> clips;
    for (int i = 0; i < 400; ++i)
        clips.append(Clip{QUuid::createUuid(), source.id,
                          QStringLiteral("gen %1 base %2").arg(generation).arg(i), double(i),
                          double(i) + 1, Aspect::vertical, 1, 0.5, 0.5});
    CWStoreTestAccess::setClips(store, clips);
    std::printf("%lld\n", (long long)store.clips().size());
    for (;;) {
        store.addClip();  // saves, then the rename saves again
        store.rename(store.clips().last().id,
                     QStringLiteral("gen %1 clip %2").arg(generation).arg(store.clips().size()));
        std::printf("%lld\n", (long long)store.clips().size());
    }
}

}  // namespace

// Nothing of Qt runs in this process before a fork: no thread to lose.
int main(int argc, char** argv)
{
    // Each line reaches the test as it is printed, from the children too.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    char line[32];
    while (std::fgets(line, sizeof line, stdin)) {
        const pid_t child = fork();
        if (child == 0)
            saveUntilKilled(argc, argv, atoi(line));
        std::printf("child %d\n", int(child));
        waitpid(child, nullptr, 0);
        std::printf("end\n");
    }
}
