#include "platform/MountProber.h"

#include "platform/WaitRoom.h"

#include <QHash>
#include <QSet>
#include <algorithm>
#include <deque>
#include <exception>
#include <map>
#include <system_error>
#include <thread>

namespace tobimaru {

namespace {

using Clock = std::chrono::steady_clock;

// A probe asked late in a command still gets this long, so that a healthy mount is not called
// silent only because the command spent its limit on another one.
constexpr std::chrono::milliseconds kLateGrace{250};

QString KeyText(const MountKey& mount) {
    return mount.mountPoint + QLatin1Char('\n') + mount.identity;
}

// One probe of one mount, shared by every caller waiting for it and by the worker running it.
struct Job {
    QString key;
    QString mountPoint;
    Clock::time_point asked{}; ///< when it was put in line; a probe out longer than a limit is silent
    bool done = false;
    bool silent = false; ///< a caller's limit passed before it answered
    MountStatus status;
    std::exception_ptr failure;
};

struct CommandState {
    int depth = 0;
    Clock::duration waited{}; ///< what the command's waits have taken so far
    QHash<QString, MountStatus> answers;
    QHash<QString, std::shared_ptr<Job>> started; ///< by start(), so an answer that comes first is kept
    QSet<QString> glancedAway; ///< gave no answer to a glance: further glances of the command skip it
};

} // namespace

struct MountProber::Shared final : std::enable_shared_from_this<Shared> {
    MountProbe probe;
    int maxWorkers = 0;
    WaitRoom room; ///< its mutex guards everything below
    QHash<QString, std::shared_ptr<Job>> jobs;
    std::deque<std::shared_ptr<Job>> line;
    int workers = 0;
    int busy = 0;
    bool closing = false;
    std::map<std::thread::id, CommandState> commands;

    CommandState* command() {
        const auto it = commands.find(std::this_thread::get_id());
        return it == commands.end() ? nullptr : &it->second;
    }

    std::shared_ptr<Job> enqueue(const MountKey& mount) {
        auto job = std::make_shared<Job>();
        job->key = KeyText(mount);
        job->mountPoint = mount.mountPoint;
        job->asked = Clock::now();
        jobs.insert(job->key, job);
        line.push_back(job);
        return job;
    }

    // Enough workers for the line, within the bound. A thread that cannot be had leaves the probe
    // in line; its callers then hear no answer, which is the truth.
    //
    // This pool stays apart from the Worker of background reads on purpose: a probe is the one
    // call expected to get stuck in the kernel for good, where it can be neither stopped nor
    // joined, so its threads are few, detached, counted, and never lent to other work.
    void hire() {
        while (line.size() > size_t(workers - busy) && workers < maxWorkers) {
            try {
                std::thread([self = shared_from_this()] { self->serve(); }).detach();
            } catch (const std::system_error&) {
                return;
            }
            ++workers;
        }
    }

    // A worker ends as soon as the line is empty: no thread is kept for nothing, and the ones
    // left are exactly those stuck in a probe.
    void serve() {
        std::unique_lock lock(room.mutex());
        while (!closing && !line.empty()) {
            const std::shared_ptr<Job> job = line.front();
            line.pop_front();
            ++busy;
            lock.unlock();
            MountStatus status;
            std::exception_ptr failure;
            try {
                status = probe(job->mountPoint);
            } catch (...) {
                failure = std::current_exception();
            }
            lock.lock();
            --busy;
            job->done = true;
            job->status = status;
            job->failure = failure;
            // An answer, even a late one, ends the silence: the next ask probes afresh.
            const auto it = jobs.find(job->key);
            if (it != jobs.end() && it.value() == job)
                jobs.erase(it);
            room.wakeAll();
        }
        --workers;
    }
};

MountProber::MountProber(MountProbe probe, int maxWorkers)
    : m_shared(std::make_shared<Shared>()) {
    m_shared->probe = std::move(probe);
    m_shared->maxWorkers = std::max(1, maxWorkers);
}

MountProber::~MountProber() {
    const std::unique_lock lock(m_shared->room.mutex());
    m_shared->closing = true;
    for (const std::shared_ptr<Job>& job : m_shared->line) {
        job->done = true;
        m_shared->jobs.remove(job->key);
    }
    m_shared->line.clear();
    m_shared->room.wakeAll();
}

std::vector<std::optional<MountStatus>> MountProber::ask(const std::vector<MountKey>& mounts,
                                                         std::chrono::milliseconds limit, Patience patience) {
    Shared& s = *m_shared;
    std::unique_lock lock(s.room.mutex());
    const Clock::time_point start = Clock::now();
    std::vector<std::optional<MountStatus>> answers(mounts.size());
    std::vector<std::pair<size_t, std::shared_ptr<Job>>> waiting;
    CommandState* command = s.command();
    for (size_t i = 0; i < mounts.size(); ++i) {
        const QString key = KeyText(mounts[i]);
        if (command) {
            const auto known = command->answers.constFind(key);
            if (known != command->answers.constEnd()) {
                answers[i] = known.value();
                continue;
            }
        }
        std::shared_ptr<Job> job = command ? command->started.value(key) : nullptr;
        if (!job)
            job = s.jobs.value(key);
        if (job && !job->done && start - job->asked >= limit)
            job->silent = true; // out for longer than anyone waits
        if (job && job->silent)
            continue; // known not to answer: no second wait
        if (patience == Patience::Glance && command && command->glancedAway.contains(key))
            continue;
        if (!job)
            job = s.enqueue(mounts[i]);
        waiting.emplace_back(i, std::move(job));
    }
    if (waiting.empty())
        return answers;
    s.hire();

    Clock::duration budget = limit;
    if (command)
        budget = std::max<Clock::duration>(limit - command->waited, std::min(limit, kLateGrace));
    if (patience == Patience::Glance)
        budget = std::min<Clock::duration>(budget, kGlance);
    // No probe is waited for past its limit, counted from when it was first asked for.
    Clock::time_point lastDue = start;
    for (const auto& w : waiting)
        lastDue = std::max(lastDue, w.second->asked + limit);
    const Clock::time_point deadline = std::min(start + budget, lastDue);
    s.room.wait(
        lock,
        [&waiting] {
            return std::all_of(waiting.begin(), waiting.end(), [](const auto& w) { return w.second->done; });
        },
        deadline);

    // Code run by the wait's event loop may have begun or ended commands of its own.
    command = s.command();
    if (command)
        command->waited += Clock::now() - start;
    std::exception_ptr failure;
    const Clock::time_point end = Clock::now();
    for (const auto& [index, job] : waiting) {
        if (!job->done) {
            if (patience == Patience::Command || end - job->asked >= limit)
                job->silent = true;
            else if (command)
                command->glancedAway.insert(job->key);
            continue;
        }
        if (job->failure) {
            if (!failure)
                failure = job->failure;
            continue;
        }
        answers[index] = job->status;
        if (command)
            command->answers.insert(job->key, job->status);
    }
    lock.unlock();
    if (failure)
        std::rethrow_exception(failure);
    return answers;
}

void MountProber::start(const std::vector<MountKey>& mounts) {
    Shared& s = *m_shared;
    const std::unique_lock lock(s.room.mutex());
    CommandState* command = s.command();
    for (const MountKey& mount : mounts) {
        const QString key = KeyText(mount);
        if (command && (command->answers.contains(key) || command->started.contains(key)))
            continue;
        std::shared_ptr<Job> job = s.jobs.value(key);
        if (!job)
            job = s.enqueue(mount);
        if (command)
            command->started.insert(key, std::move(job));
    }
    s.hire();
}

bool MountProber::isSilent(const MountKey& mount) const {
    const std::unique_lock lock(m_shared->room.mutex());
    const std::shared_ptr<Job> job = m_shared->jobs.value(KeyText(mount));
    return job && job->silent;
}

int MountProber::workerCount() const {
    const std::unique_lock lock(m_shared->room.mutex());
    return m_shared->workers;
}

MountProber::Command::Command(const MountProber& prober)
    : m_shared(prober.m_shared) {
    const std::unique_lock lock(m_shared->room.mutex());
    ++m_shared->commands[std::this_thread::get_id()].depth;
}

MountProber::Command::~Command() {
    if (!m_shared)
        return;
    const std::unique_lock lock(m_shared->room.mutex());
    const auto it = m_shared->commands.find(std::this_thread::get_id());
    if (it != m_shared->commands.end() && --it->second.depth <= 0)
        m_shared->commands.erase(it);
}

std::shared_ptr<MountProber> SharedMountProber() {
    // Made on first use and kept for the life of the process (see the header).
    static const std::shared_ptr<MountProber> prober = std::make_shared<MountProber>(SystemMountProbe());
    return prober;
}

} // namespace tobimaru
