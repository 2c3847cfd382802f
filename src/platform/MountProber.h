#pragma once

#include "platform/MountProbe.h"

#include <QString>
#include <chrono>
#include <memory>
#include <optional>
#include <vector>

namespace tobimaru {

/// One mount as the prober tells mounts apart: the mount point and whatever changes when
/// something new is mounted there (the mount table's id, device and source).
struct MountKey {
    QString mountPoint;
    QString identity;
};

/// Runs mount probes on a small pool of worker threads so that no caller ever blocks on a file
/// system, and remembers the mounts that did not answer.
///
/// - At most one probe of a mount runs at a time; a second ask joins it. At most `maxWorkers`
///   threads work in all; further probes wait in line.
/// - A caller waits at most its limit (through WaitRoom: the main thread keeps its windows
///   painting). A probe still out when a caller's limit passed, or out for longer than the
///   limit, makes the mount *silent*: every later ask answers "no answer" at once, until that
///   probe returns (then the mount is asked afresh) or the mount changes (a new MountKey).
/// - A glance (Patience::Glance: reading ahead, for looks) waits only a moment, once per mount
///   and command, and makes no mount silent by giving up; the wait for a drive that is really
///   needed stays the limit.
/// - While a Command lives on a thread, answers are kept for that thread and its waits share one
///   limit: together they take at most the limit (a probe asked when it is spent still gets a
///   short grace), so one user command waits one limit however often it touches a mount.
///
/// A thread stuck in the kernel can be neither stopped nor joined; the workers are detached and
/// own the shared state they touch, so the prober may go while one of them is still out.
class MountProber final {
    struct Shared;

public:
    static constexpr int kDefaultWorkers = 4;
    /// How long a glance waits at most.
    static constexpr std::chrono::milliseconds kGlance{200};

    /// How a caller waits for an answer (see above).
    enum class Patience { Command, Glance };

    explicit MountProber(MountProbe probe, int maxWorkers = kDefaultWorkers);
    /// Drops the probes still in line; workers end after the probe each is running.
    ~MountProber();
    Q_DISABLE_COPY(MountProber)

    /// One answer per mount, in order: what its probe found, or nullopt when it did not answer
    /// within `limit` (or the command's limit, or a glance) or is silent already. Starts the
    /// probes not yet running and waits for all of them together. A probe that threw has its
    /// failure rethrown here, after the other answers are in.
    std::vector<std::optional<MountStatus>> ask(const std::vector<MountKey>& mounts,
                                                std::chrono::milliseconds limit,
                                                Patience patience = Patience::Command);

    /// Starts the probes of these mounts without waiting (what a command is about to ask). Within
    /// a Command their answers are kept for its asks, also when they come before them; a mount
    /// answered within the command is not probed again.
    void start(const std::vector<MountKey>& mounts);

    /// True while the mount is silent (see above).
    bool isSilent(const MountKey& mount) const;

    /// The worker threads alive now, stuck ones included.
    int workerCount() const;

    /// One user command on the calling thread (see above). Commands nest; the outermost one ends
    /// the command.
    class Command final {
    public:
        explicit Command(const MountProber& prober);
        /// Takes the other's part in the command over; the other ends nothing.
        Command(Command&& other) noexcept = default;
        ~Command();
        Q_DISABLE_COPY(Command)
        Command& operator=(Command&&) = delete;

    private:
        std::shared_ptr<Shared> m_shared;
    };

private:
    std::shared_ptr<Shared> m_shared;
};

/// The prober of this process over the system's probe: every mount-table snapshot shares it, so a
/// mount that fell silent for one command is known to be silent for the next, and the threads it
/// may leave stuck in the kernel are counted once for the whole process.
std::shared_ptr<MountProber> SharedMountProber();

} // namespace tobimaru
