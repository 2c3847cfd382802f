#pragma once

#include <QMutex>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>

namespace tobimaru {

/// The result codes of the file operations: 0 done, 7 declined or cancelled by the user (no
/// failure either), anything else a failure.
enum class ShellCode : int32_t {
    Done = 0,
    Declined = 7,
    Failed = 0x402,
    /// A folder was to go into itself or into a folder below it.
    InsideSource = 0x76,
};

/// True for the codes that count as no failure.
inline bool IsNoFailure(ShellCode code) {
    return code == ShellCode::Done || code == ShellCode::Declined;
}

/// What a file job on a worker thread shares with the user-interface thread: the progress it
/// has made, the user's cancel, and the questions it must ask. Every member is thread-safe.
class JobControl final {
public:
    /// What to do with an entry whose name is taken in the destination.
    enum class Clash { Replace, Skip, CancelAll };
    /// Asks the user about a taken target path and waits for the answer.
    using Asker = std::function<Clash(const QString& target)>;
    /// The moments of a copy at which a test may hold the worker: after each chunk of a file is
    /// written and checked, and before the finished copy is flushed to its disk.
    enum class CopyPoint { ChunkCopied, BeforeFlush };
    /// Called on the worker with the point and the shown path of the entry being copied.
    using CopyPause = std::function<void(CopyPoint point, const QString& where)>;

    struct Progress {
        qint64 bytesDone = 0;
        qint64 bytesTotal = 0;
        int entriesDone = 0;
        int entriesTotal = 0;
        QString current; ///< the name being worked on
    };

    JobControl() = default;
    Q_DISABLE_COPY(JobControl)

    /// Set by whoever asks the questions (the job runner); without one every clash is skipped.
    void setAsker(Asker asker) { m_asker = std::move(asker); }
    /// For tests, which change a source while it is copied or kill the copy half-way; set before
    /// the job starts. The program sets none.
    void setCopyPause(CopyPause pause) { m_pause = std::move(pause); }
    /// Runs the pause set for tests, if any.
    void pauseAt(CopyPoint point, const QString& where) const;

    /// The user asked to stop: the job ends after the entry it is on, undoing that entry's
    /// unfinished copy.
    void cancel() { m_cancelled.store(true); }
    bool cancelled() const { return m_cancelled.load(); }
    const std::atomic<bool>* cancelFlag() const { return &m_cancelled; }

    void setTotals(qint64 bytes, int entries);
    void addBytes(qint64 bytes) { m_bytesDone.fetch_add(bytes); }
    /// More bytes to copy than the totals said: an entry found to need a copy on the way.
    void addTotalBytes(qint64 bytes) { m_bytesTotal.fetch_add(bytes); }
    /// Entry `index` (0-based) named `name` is being worked on.
    void setEntry(int index, const QString& name);
    /// The user's choice for a taken target; CancelAll also cancels the job.
    Clash askClash(const QString& target);

    Progress progress() const;

private:
    std::atomic<bool> m_cancelled{false};
    std::atomic<qint64> m_bytesDone{0};
    std::atomic<qint64> m_bytesTotal{0};
    std::atomic<int> m_entriesDone{0};
    std::atomic<int> m_entriesTotal{0};
    mutable QMutex m_nameLock;
    QString m_current;
    Asker m_asker;
    CopyPause m_pause;
};

} // namespace tobimaru
