#pragma once

#include <QList>
#include <QPointer>
#include <QProcess>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class MWCompositionExport;

namespace ClipExporter {

// Export progress, a fraction 0…1, always received on the main thread.
using Progress = std::function<void(double fraction)>;

// Calls progress at once on the main thread, so that a value reported before
// an export returns is seen before its result; from another thread it is posted.
void report(const Progress& progress, double fraction);

// The shared handle of one export batch: it lists every converter process and
// composition export now running, so that one cancel() stops them all. Shared
// between the store, the export tasks and the engines; every member is safe
// to call from any thread.
class Job {
public:
    Job() = default;
    Job(const Job&) = delete;
    Job& operator=(const Job&) = delete;

    // Composition exports stay listed until the job goes with its batch:
    // cancelling a finished one does nothing.
    void add(std::shared_ptr<MWCompositionExport> session);
    void add(QProcess* process);
    // Removes the process itself (identity, not equality).
    void remove(QProcess* process);

    bool cancelled() const;
    // Sets the flag for good, then asks every listed export to cancel and
    // every listed process that still runs to terminate, killing it when it
    // has not ended terminateGraceMs later.
    void cancel();
    static constexpr int terminateGraceMs = 200;

    // When true, every clip takes the composition path. Set before the batch starts.
    bool forceComposition = false;
    // When true, every clip's sound is brought to the common loudness
    // (export/loudness.h). Set before the batch starts.
    bool normalizeLoudness = false;

private:
    mutable std::mutex lock_;  // guards the three below; never held across a call out
    std::vector<std::shared_ptr<MWCompositionExport>> sessions_;
    QList<QPointer<QProcess>> processes_;
    bool cancelled_ = false;
};

}  // namespace ClipExporter
