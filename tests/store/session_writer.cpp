// A store that edits and saves its session as fast as it can, for the crash
// test: after each save it prints how many clips that save held.
#include "common/silentplayer.h"
#include "common/storeaccess.h"
#include "platform/services.h"
#include "store/store.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    cwNameApplication();
    const int generation = argc > 1 ? atoi(argv[1]) : 0;

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
    std::fflush(stdout);
    for (;;) {
        store.addClip();  // saves, then the rename saves again
        store.rename(store.clips().last().id,
                     QStringLiteral("gen %1 clip %2").arg(generation).arg(store.clips().size()));
        std::printf("%lld\n", (long long)store.clips().size());
        std::fflush(stdout);
    }
}
