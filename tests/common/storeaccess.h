#pragma once

#include "common/testutil.h"
#include "platform/asset.h"
#include "store/store.h"

// Reaches into the store where a test must set up state that only later
// pipelines (import, restore) would otherwise produce.
class CWStoreTestAccess {
public:
    static void addSource(CWStore& store, const CWSource& source)
    {
        store.sources_.append(source);
        emit store.changed(CWStore::Field::sources);
    }
    // A source opened straight from a test media file, as an import of a
    // directly playable file makes it.
    static CWSource addFixtureSource(CWStore& store, const QString& fixture)
    {
        const auto asset = MWAsset::open(testutil::fixture(fixture));
        CWSource s;
        s.id = QUuid::createUuid();
        s.media.original = s.media.playable = asset->path;
        s.media.asset = asset;
        s.media.duration = asset->duration;
        s.media.hasVideo = true;
        s.media.naturalSize = asset->naturalSize;
        s.media.nominalFrameRate = asset->nominalFrameRate;
        addSource(store, s);
        return s;
    }
    static void setRestoreStarted(CWStore& store, bool started) { store.restoreStarted_ = started; }
    static void setTime(CWStore& store, double t) { store.time_ = t; }
    static void setMarks(CWStore& store, double in, double out)
    {
        store.inMark_ = in;
        store.outMark_ = out;
    }
    static void setClips(CWStore& store, QList<Clip> clips) { store.setClips(std::move(clips)); }
    static void setPicture(CWStore& store, const QUuid& source, std::optional<QRectF> picture)
    {
        for (CWSource& s : store.sources_) {
            if (s.id == source)
                s.picture = picture;
        }
    }
    // The filmstrip arriving for a source, as the import's thumbnail step sets it.
    static void setThumbs(CWStore& store, const QUuid& source, const QList<Thumb>& thumbs)
    {
        for (CWSource& s : store.sources_) {
            if (s.id == source)
                s.thumbs = thumbs;
        }
        emit store.changed(CWStore::Field::sources);
    }
    // The export batch as the orchestration publishes it.
    static void setExport(CWStore& store, const QList<ExportRow>& rows, bool exporting)
    {
        store.assign(store.exporting_, exporting, CWStore::Field::exporting);
        store.assign(store.exportRows_, rows, CWStore::Field::exportRows);
    }
    // The history's clock, so a test says how far apart two changes are.
    static void setHistoryClock(CWStore& store, std::function<qint64()> clock)
    {
        store.history_.clock = std::move(clock);
    }
    static qsizetype undoCount(const CWStore& store) { return store.history_.undoCount(); }
    static int parallelism(const CWStore& store) { return store.parallelism(); }
    static void stopObserver(CWStore& store) { store.observer_->stop(); }
    // The held gesture's throttled write, started now instead of in half a second.
    static void writeAside(CWStore& store) { store.writeSessionAside(); }
    static bool loading(const CWStore& store) { return store.loading_; }
    // The status line as an import would show it.
    static void setStatus(CWStore& store, std::optional<QString> busy,
                          std::optional<double> progress)
    {
        store.assign(store.busy_, busy, CWStore::Field::busy);
        store.assign(store.progress_, progress, CWStore::Field::progress);
    }
};
