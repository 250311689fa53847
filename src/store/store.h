#pragma once

#include "model/aspect.h"
#include "model/clip.h"
#include "model/exportrow.h"
#include "model/session.h"
#include "model/source.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUuid>
#include <optional>

class Player;

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
        busy,
        progress,
        exportRows,
        exporting,
        note,
    };
    Q_ENUM(Field)

    // The store owns player from here on.
    explicit CWStore(Player* player, QObject* parent = nullptr);
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

    // Derived look-ups.
    const CWSource* current() const;
    const Clip* selectedClip() const;
    QList<Clip> clipsOf(const QUuid& sourceID) const;

    // Clip editing.
    void markIn();
    void markOut();
    void setIn(double t);
    void setOut(double t);
    void addClip();
    void selectClip(const Clip& clip);
    void deleteClip(const QUuid& id);
    void duplicateClip(const QUuid& id);
    void rename(const QUuid& id, const QString& name);
    void setAspectForAll(Aspect aspect);
    void resetFrame();

    // Playback and transport.
    void select(const QUuid& source);
    void seek(double t);
    void togglePlay();
    void step(int frames);
    void nudgeTrim(int frames);
    // The periodic time observer's body, run every 1/30 s on the main thread.
    void observeTime();

    // Import.
    void chooseFiles();

    // Session.
    static QString sessionURL();
    CWSession sessionSnapshot() const;
    void save();
    bool restoreStarted() const { return restoreStarted_; }

signals:
    void changed(CWStore::Field field);
    // addClip() without a source asks for files; the import pipeline answers.
    void chooseFilesRequested();
    // The system alert sound played (a refused operation).
    void alerted();

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
        change(clips_[index]);
        clipsDidChange();
    }
    void clipsDidChange();
    void setNote(const QString& note);
    double currentDuration() const;
    double currentFrameRate() const;
    qsizetype indexOfClip(const QUuid& id) const;

    void applyFrame();
    void updateSelectedRange();
    void alertSound();

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
    std::optional<QString> busy_;
    std::optional<double> progress_;
    QList<ExportRow> exportRows_;
    bool exporting_ = false;
    std::optional<QString> note_;

    QTimer* observer_ = nullptr;
    bool loading_ = false;
    QList<CWSession::Source> pendingSources_;
    QList<Clip> pendingClips_;
    bool restoreStarted_ = false;

    friend class CWStoreTestAccess;
};
