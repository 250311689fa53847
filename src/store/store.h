#pragma once

#include "export/loudness.h"
#include "model/aspect.h"
#include "model/clip.h"
#include "model/exportrow.h"
#include "model/session.h"
#include "model/source.h"
#include "store/history.h"

#include <QCoroTask>
#include <QElapsedTimer>
#include <QFuture>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QThreadPool>
#include <QTimer>
#include <QUuid>
#include <functional>
#include <memory>
#include <optional>

class Player;
class CWServices;
namespace ClipExporter {
class Job;
}

// The one editing store: every piece of editing state and every user operation.
// Main thread only. Views observe `changed` and call the operations; none throws.
class CWStore : public QObject {
    Q_OBJECT
public:
    // The published fields, named in `changed` after every assignment.
    enum class Field {
        sources,
        currentSourceID,
        clips,
        selectedClipID,
        time,
        playing,
        inMark,
        outMark,
        trimFocus,
        aspect,
        zoom,
        centerX,
        centerY,
        shortSide,
        audioLevel,
        busy,
        progress,
        exportRows,
        exporting,
        note,
    };
    Q_ENUM(Field)

    // The store owns player and services from here on; without services it
    // uses the real desktop's.
    explicit CWStore(Player* player, CWServices* services = nullptr, QObject* parent = nullptr);
    ~CWStore() override;

    // Published fields.
    const QList<CWSource>& sources() const { return sources_; }
    std::optional<QUuid> currentSourceID() const { return currentSourceID_; }
    const QList<Clip>& clips() const { return clips_; }
    std::optional<QUuid> selectedClipID() const { return selectedClipID_; }
    Player* player() const { return player_; }
    double time() const { return time_; }
    bool playing() const { return playing_; }
    double inMark() const { return inMark_; }
    double outMark() const { return outMark_; }
    std::optional<int> trimFocus() const { return trimFocus_; }
    Aspect aspect() const { return aspect_; }
    double zoom() const { return zoom_; }
    double centerX() const { return centerX_; }
    double centerY() const { return centerY_; }
    int shortSide() const { return shortSide_; }
    // How loud the exports are; a preference (QSettings key "mwso.cw.audioLevel"),
    // read when the store is made and written on every change.
    AudioLevel audioLevel() const { return audioLevel_; }
    std::optional<QString> busy() const { return busy_; }
    std::optional<double> progress() const { return progress_; }
    const QList<ExportRow>& exportRows() const { return exportRows_; }
    bool exporting() const { return exporting_; }
    std::optional<QString> note() const { return note_; }

    // Fields the views write directly; the frame fields write through to the selected clip.
    void setSelectedClipID(std::optional<QUuid> id);
    void setTrimFocus(std::optional<int> focus);
    void setAspect(Aspect aspect);
    void setZoom(double zoom);
    void setCenterX(double x);
    void setCenterY(double y);
    void setShortSide(int side);
    void setAudioLevel(AudioLevel level);

    // Derived look-ups.
    const CWSource* current() const;
    const Clip* selectedClip() const;
    QList<Clip> clipsOf(const QUuid& sourceID) const;

    // Clip editing. Ids and clips are taken by value: callers pass the store's
    // own elements, which these operations replace.
    void markIn();
    void markOut();
    void setIn(double t);
    void setOut(double t);
    void addClip();
    void selectClip(Clip clip);
    void deleteClip(QUuid id);
    void duplicateClip(QUuid id);
    void rename(QUuid id, const QString& name);
    void setAspectForAll(Aspect aspect);
    // Back to the whole picture, still for the whole clip; a clip whose frame
    // moves is asked about first, since its points go too.
    void resetFrame();

    // Frame points of the selected clip. A frame change away from the clip's
    // In sets a point at the playhead by itself; these are the rest.
    // A point at the playhead holding the frame shown there.
    void addPoint();
    // The point nearest the playhead.
    void removePointAtPlayhead();
    void removePoint(int index);
    // Keeps the point inside the clip and between its neighbours.
    void movePoint(int index, double time);
    void setPointCut(int index, bool cut);
    // Seeks to the selected clip's point before or after the playhead.
    void previousPoint();
    void nextPoint();
    // The selected clip's point within half a frame of the playhead.
    std::optional<int> pointAtPlayhead() const;

    // Captions. The current video's attachment (empty detaches), read off the
    // main thread; the selected clip's switch, look and height.
    void attachCaptions(Captions::Attachment attachment);
    void chooseCaptionsFile();
    void setClipCaptions(bool on);
    void setCaptionLook(Captions::Look look);
    // Moves the selected clip's captions up (positive) or down by a fraction
    // of the frame's height, within Captions::kMostRaise either way.
    void raiseCaptions(double by);

    // Playback and transport.
    void select(QUuid source);
    void seek(double t);
    void togglePlay();
    void step(int frames);
    void nudgeTrim(int frames);
    // The periodic time observer's body, run every 1/30 s on the main thread.
    void observeTime();

    // Import.
    void chooseFiles();
    void enqueueImport(const QStringList& paths);
    QCoro::Task<> importFiles(QStringList paths);
    struct Failure {
        QString name;
        QString message;
    };
    struct Summary {
        QString title;
        QString body;
    };
    static std::optional<Summary> importSummary(const QList<Failure>& failures, int total);
    void removeSource(QUuid id);
    void setTrimBorders(bool on);

    // Export.
    void exportAll(std::optional<QList<QUuid>> only = std::nullopt);
    void cancelExport();
    void closeExportRows();
    static QString exportFolder();
    std::shared_ptr<ClipExporter::Job> job() const { return job_; }
    double lastExportSeconds() const { return lastExportSeconds_; }

    // Session.
    static QString sessionURL();
    CWSession sessionSnapshot() const;
    void save();
    // Starts the one-time restore; the returned task ends when the last source is back.
    QCoro::Task<> restore();
    // Written once more when the application quits, held gesture or not.
    void saveOnQuit() { writeSession(); }

    // Held while a pointer gesture drags a mark, the frame or the pad: its
    // many small changes are written at most twice a second and once more
    // when the gesture lets go, instead of at every step of the pointer.
    class SaveHold {
    public:
        explicit SaveHold(CWStore* store);
        ~SaveHold();
        SaveHold(const SaveHold&) = delete;
        SaveHold& operator=(const SaveHold&) = delete;

    private:
        QPointer<CWStore> store_;
    };
    bool restoreStarted() const { return restoreStarted_; }

    // Undo and Redo over every change the session records. A pointer gesture
    // (a SaveHold) or a run of typing in one clip's name is one step.
    bool canUndo() const { return history_.canUndo(); }
    bool canRedo() const { return history_.canRedo(); }
    // What Undo or Redo would take back, "Delete Clip"; empty when nothing.
    QString undoLabel() const { return history_.undoLabel(); }
    QString redoLabel() const { return history_.redoLabel(); }
    void undo();
    void redo();
    // Ends a run of typing or of small steps: the next change is a step of its own.
    void endUndoRun();

signals:
    void changed(CWStore::Field field);
    // An import run or the restore has finished; an export batch has finished.
    void importFinished();
    void restoreFinished();
    void exportFinished();
    // The system alert sound played (a refused operation).
    void alerted();
    // What Undo and Redo would do has changed.
    void historyChanged();

protected:
    // Everything that changes a field goes through here so observers hear of it.
    template <typename T> void assign(T& member, const T& value, Field field)
    {
        member = value;
        emit changed(field);
    }
    void setClips(QList<Clip> clips);
    // Changes one clip in place; the clips hook saves.
    template <typename F> void updateClip(qsizetype index, F&& change)
    {
        willChange();
        change(clips_[index]);
        clipsDidChange();
    }
    void clipsDidChange();
    void setNote(const QString& note);
    double currentDuration() const;
    double currentFrameRate() const;
    qsizetype indexOfClip(const QUuid& id) const;

    void applyFrame();
    // The shown frame becomes the selected clip's at the playhead, the clip untouched.
    void followFrame();
    // Changes the selected clip's points as one step under label.
    void changePoints(const QString& label, const std::function<void(Clip&)>& change);
    void updateSelectedRange();
    void alertSound();
    // The progress card belongs to every import run and the restore at once:
    // each begins its own run, reports under it and ends it; the card shows
    // the latest report of the runs still working, and goes when none is left.
    int beginBusy();
    void setBusy(int run, const QString& text, std::optional<double> fraction);
    void endBusy(int run);
    void showBusy();
    void appendSource(CWSource source);
    // Makes source id's filmstrip off the main thread and shows each frame as
    // it comes; then finds the picture inside any black bars, given to the
    // source when found and returned.
    QCoro::Task<std::optional<QRectF>> streamFilmstripAndBars(QUuid id, MWOpenedMedia media);
    // Changes the source id in the bin and the copies of it kept for undo and
    // redo, outside the history: what the machine made, not the user.
    void changeSource(const QUuid& id, const std::function<void(CWSource&)>& change);
    // Takes a returned saved video's pending clips into the bin, under the id
    // of the source that now shows that video.
    void adopt(const QString& savedId, const QUuid& into);
    bool hasFile(const QString& path) const;
    std::optional<QUuid> sourceWithFile(const QString& path) const;
    std::optional<CWSession::Source> pendingSourceWithFile(const QString& path) const;
    void setRow(const QUuid& id, const std::function<void(ExportRow&)>& change);
    // Reads the source's attached captions and lists its subtitle tracks, off
    // the main thread; whatever the source holds then takes the result (an
    // attachment changed meanwhile reads again). Returns the problem, if any.
    QCoro::Task<QString> readCaptions(QUuid id);
    // Changes the selected clip's captions as one step.
    void changeCaptions(const QString& label, const std::function<void(Clip&)>& change);

    struct WorkItem {
        Clip clip;
        CWSource source;
        QString path;
    };
    struct Batch;
    int parallelism() const;
    void launchNext(std::shared_ptr<Batch> batch);
    // Waits for a write under way on the worker, then writes here: what is
    // on disk afterwards is the store as it is now.
    void writeSession();
    // A held gesture's throttled write, on the worker.
    void writeSessionAside();
    void releaseSaveHold();

    // One user operation: the changes it makes are one step of the history,
    // under its label. Nested operations belong to the outermost.
    class Step {
    public:
        Step(CWStore* store, CWHistory::Change change);
        ~Step();
        Step(const Step&) = delete;
        Step& operator=(const Step&) = delete;

    private:
        CWStore* store_;
    };
    // Changes that are no step of the user's (the restore bringing videos
    // back): they are not recorded, and what was recorded before no longer
    // fits them, so the history is cleared when the scope ends.
    class Unrecorded {
    public:
        explicit Unrecorded(CWStore* store);
        ~Unrecorded();
        Unrecorded(const Unrecorded&) = delete;
        Unrecorded& operator=(const Unrecorded&) = delete;

    private:
        CWStore* store_;
    };
    // Called before anything the session records is changed.
    void willChange();
    CWHistory::State historyState() const;
    void putBack(const CWHistory::State& state);
    void showSelectedClip();

    QCoro::Task<> runItem(std::shared_ptr<Batch> batch, WorkItem item);
    void finishBatch(std::shared_ptr<Batch> batch);

    QList<CWSource> sources_;
    std::optional<QUuid> currentSourceID_;
    QList<Clip> clips_;
    std::optional<QUuid> selectedClipID_;
    Player* player_ = nullptr;
    double time_ = 0;
    bool playing_ = false;
    double inMark_ = 0;
    double outMark_ = 0;
    std::optional<int> trimFocus_;
    Aspect aspect_ = Aspect::vertical;
    double zoom_ = 1.0;
    double centerX_ = 0.5;
    double centerY_ = 0.5;
    int shortSide_ = 1080;
    AudioLevel audioLevel_ = AudioLevel::source;
    std::optional<QString> busy_;
    std::optional<double> progress_;
    struct BusyRun {
        int id;
        QString text;
        std::optional<double> fraction;
    };
    QList<BusyRun> busyRuns_;  // oldest report first
    int lastBusyRun_ = 0;
    QList<ExportRow> exportRows_;
    bool exporting_ = false;
    std::optional<QString> note_;

    QTimer* observer_ = nullptr;
    CWServices* services_ = nullptr;
    std::shared_ptr<ClipExporter::Job> job_;
    QStringList incoming_;
    QTimer* incomingTimer_ = nullptr;
    double lastExportSeconds_ = 0;
    bool loading_ = false;
    QList<CWSession::Source> pendingSources_;
    QList<Clip> pendingClips_;
    bool restoreStarted_ = false;
    int saveHolds_ = 0;
    bool savePending_ = false;
    QTimer* saveThrottle_ = nullptr;
    // One thread of our own: an export filling the shared pool never delays
    // a session write, and two writes never overlap.
    QThreadPool sessionWriter_;
    QFuture<void> sessionWrite_;
    CWHistory history_;
    std::optional<CWHistory::Change> change_;  // the operation under way
    int stepDepth_ = 0;
    bool stepRecorded_ = false;
    int unrecorded_ = 0;
    quint64 gestures_ = 0;  // pointer gestures so far; the latest names the one held

    friend class CWStoreTestAccess;
};
