#include "browse/SubfolderScan.h"

#include "base/FileNames.h"
#include "base/SideBySide.h"

#include "browse/DirectoryRead.h"
#include "browse/Drives.h"

#include <QFile>
#include <algorithm>
#include <atomic>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_set>

namespace tobimaru {

namespace {

// A name that may be a folder: known from d_type, or to be settled by a stat, or for a mount
// point by its probe.
struct Candidate {
    std::string name;
    bool knownDir = false;
    bool mountPoint = false;
};

// What a subfolder's attributes make of it; nullopt when the switches refuse it.
std::optional<SubfolderEntry> Admit(const std::string& name, bool hidden, bool readOnly,
                                    const ListOptions& admission) {
    const EntryAttr attr = ClassifyEntry(name == "lost+found", true, false, hidden, readOnly);
    if (!IsAdmitted(attr, admission))
        return std::nullopt;
    SubfolderEntry e;
    e.name = DecodeFileName(QByteArrayView(name.data(), qsizetype(name.size())));
    e.attr = attr;
    e.image = attr == EntryAttr::ReadOnly ? ReadOnlyFolderImage(EncodeFileName(e.name).toStdString())
                                          : FolderImage::Closed;
    return e;
}

// The probes' answers for the mount points, or none at all when a probe failed: the scan then
// shows them as plain folders, as it does any mount that does not answer. Their attributes are
// only looks: a glance, not the drive check of a command.
std::vector<std::optional<MountStatus>> MountAnswers(const DriveModel& drives, const QStringList& paths) {
    try {
        return drives.ProbeDrives(paths, MountProber::Patience::Glance);
    } catch (...) {
        return std::vector<std::optional<MountStatus>>(size_t(paths.size()));
    }
}

} // namespace

std::vector<SubfolderEntry> ScanSubfolders(const QString& folder, const ListOptions& admission,
                                           const DriveModel& drives) {
    std::vector<SubfolderEntry> out;
    const DirStream dir = OpenFolder(folder);
    if (!dir)
        return out;
    // One command: the probes started below keep their answers for the wait at the end.
    const MountProber::Command command(drives.prober());
    std::unordered_set<std::string> mountNames;
    for (const QString& name : drives.MountPointsIn(folder))
        mountNames.insert(EncodeFileName(name).toStdString());

    // Files are by far the most entries; d_type drops them without a stat.
    std::vector<Candidate> candidates;
    bool hasHiddenFile = false;
    while (const dirent* d = ::readdir(dir.get())) {
        const std::string_view name(d->d_name);
        if (name == "." || name == "..")
            continue;
        if (name == ".hidden")
            hasHiddenFile = true;
        // The entry of a mount point is the folder underneath; a link is never one.
        const bool mountPoint = (d->d_type == DT_DIR || d->d_type == DT_UNKNOWN) && !mountNames.empty() &&
                                mountNames.count(std::string(name)) != 0;
        if (d->d_type == DT_DIR)
            candidates.push_back({std::string(name), true, mountPoint});
        else if (d->d_type == DT_LNK || d->d_type == DT_UNKNOWN)
            candidates.push_back({std::string(name), false, mountPoint});
    }

    const int dirFd = ::dirfd(dir.get());
    const std::unordered_set<std::string> hiddenNames =
        hasHiddenFile ? ReadHiddenNames(dirFd) : std::unordered_set<std::string>();
    const QString base = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    std::vector<std::optional<SubfolderEntry>> found(candidates.size());
    std::vector<bool> hiddenOf(candidates.size());
    std::vector<bool> refused(candidates.size());
    std::vector<size_t> mounts;
    QStringList mountPaths;
    for (size_t i = 0; i < candidates.size(); ++i) {
        const Candidate& c = candidates[i];
        const bool hidden = c.name[0] == '.' || hiddenNames.count(c.name) != 0;
        hiddenOf[i] = hidden;
        const bool lostFound = c.name == "lost+found";
        // System and hidden come before read-only: a known folder refused for either needs no stat.
        if ((c.knownDir || c.mountPoint) &&
            ((lostFound && !admission.ShowSystem) || (!lostFound && hidden && !admission.ShowHidden))) {
            refused[i] = true;
            continue;
        }
        if (c.mountPoint) {
            mounts.push_back(i);
            mountPaths.append(base + DecodeFileName(QByteArrayView(c.name.data(), qsizetype(c.name.size()))));
        }
    }
    // The mounts are asked first, so that their probes run while the other folders are stat'ed.
    if (!mountPaths.isEmpty())
        drives.StartProbes(mountPaths);

    // On a share the stats are kept in flight side by side, and each answer is kept for the
    // listing and the expand mark of the same folder.
    const ReadPlan plan = PlanReads(folder, dirFd);
    std::atomic<size_t> next{0};
    const auto settle = [&](int) {
        for (size_t i = next++; i < candidates.size(); i = next++) {
            const Candidate& c = candidates[i];
            if (c.mountPoint || refused[i])
                continue;
            const EntryFacts st = StatEntry(dirFd, c.name.c_str(), plan.memo.get());
            if (!st.found || !S_ISDIR(st.mode))
                continue; // a file, a dangling link, or gone since the directory was read
            found[i] = Admit(c.name, hiddenOf[i], (st.mode & 0222) == 0, admission);
        }
    };
    if (plan.wide() && candidates.size() > 1)
        RunLanes(int(std::min<size_t>(size_t(plan.lanes), candidates.size())), settle);
    else
        settle(0);

    if (!mounts.empty()) {
        const std::vector<std::optional<MountStatus>> answers = MountAnswers(drives, mountPaths);
        for (size_t m = 0; m < mounts.size(); ++m) {
            const std::optional<MountStatus>& answer = answers[m];
            const std::uint32_t mode = answer ? answer->rootMode : 0;
            // Mount points are folders; a root of unknown mode is taken as one.
            if (mode != 0 && !S_ISDIR(mode))
                continue;
            const size_t i = mounts[m];
            found[i] = Admit(candidates[i].name, hiddenOf[i], mode != 0 && (mode & 0222) == 0, admission);
        }
    }

    out.reserve(candidates.size());
    for (std::optional<SubfolderEntry>& e : found) {
        if (e)
            out.push_back(std::move(*e));
    }
    return out;
}

std::vector<SubfolderEntry> ScanSubfolders(const QString& folder, const ListOptions& admission) {
    return ScanSubfolders(folder, admission, DriveModel::FromSystem());
}

namespace {

// How a look into a folder goes: on a share or not, and how many of its stats may be in flight
// (a look among many side by side keeps to one).
struct LookPlan {
    bool share = false;
    int lanes = 1;
};

// HasSubfolder, told by the caller how to read when it knows (a parent on a share), so that a
// look costs no call more than the read itself.
bool HasSubfolderIn(const QString& folder, const ListOptions& admission, const DriveModel& drives,
                    std::optional<LookPlan> given) {
    const DirStream dir = OpenFolder(folder);
    if (!dir)
        return false;
    const int dirFd = ::dirfd(dir.get());
    LookPlan plan;
    if (given) {
        plan = *given;
    } else {
        const ReadPlan read = PlanReads(folder, dirFd);
        plan = {read.wide(), read.lanes};
    }
    const std::shared_ptr<FolderMemo> memo = plan.share ? FolderMemo::Of(folder) : nullptr;
    std::unordered_set<std::string> mountNames;
    for (const QString& name : drives.MountPointsIn(folder))
        mountNames.insert(EncodeFileName(name).toStdString());
    const QString base = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');

    // Whether one entry that may be a folder is a subfolder the switches admit.
    const auto admitted = [&](const std::string& name, unsigned char type,
                              const std::unordered_set<std::string>& hiddenNames) {
        const bool lostFound = name == "lost+found";
        const bool hidden = name[0] == '.' || hiddenNames.count(name) != 0;
        if (lostFound ? !admission.ShowSystem : (hidden && !admission.ShowHidden))
            return false;
        const bool isDir = type == DT_DIR;
        const bool mountPoint = type != DT_LNK && mountNames.count(name) != 0;
        bool readOnly = false;
        if (mountPoint) {
            // Another file system: its root's mode comes from its probe, never from a stat here.
            if (!admission.ShowReadOnly) {
                const QString path =
                    base + DecodeFileName(QByteArrayView(name.data(), qsizetype(name.size())));
                const std::optional<MountStatus> answer = MountAnswers(drives, {path}).front();
                const std::uint32_t mode = answer ? answer->rootMode : 0;
                if (mode != 0 && !S_ISDIR(mode))
                    return false;
                readOnly = mode != 0 && (mode & 0222) == 0;
            }
        } else if (!(isDir && (lostFound || hidden || admission.ShowReadOnly))) {
            // Only a link, an unknown type or a read-only test needs the stat.
            const EntryFacts st = StatEntry(dirFd, name.c_str(), memo.get());
            if (!st.found || !S_ISDIR(st.mode))
                return false;
            readOnly = (st.mode & 0222) == 0;
        }
        return IsAdmitted(ClassifyEntry(lostFound, true, false, hidden, readOnly), admission);
    };
    const auto mayBeFolder = [](const dirent* d) {
        const std::string_view name(d->d_name);
        return name != "." && name != ".." &&
               (d->d_type == DT_DIR || d->d_type == DT_LNK || d->d_type == DT_UNKNOWN);
    };

    if (!plan.share) {
        // Read first: readdir may bring ".hidden" last, after the folders it hides.
        const std::unordered_set<std::string> hiddenNames = ReadHiddenNames(dirFd);
        while (const dirent* d = ::readdir(dir.get())) {
            if (mayBeFolder(d) && admitted(d->d_name, d->d_type, hiddenNames))
                return true;
        }
        return false;
    }

    // On a share a call costs a wait: the whole directory is read first (one call for many
    // names), ".hidden" is asked for only when it is there, and the stats go side by side until
    // one finds a subfolder.
    struct MaybeFolder {
        std::string name;
        unsigned char type;
    };
    std::vector<MaybeFolder> candidates;
    bool hasHiddenFile = false;
    while (const dirent* d = ::readdir(dir.get())) {
        if (std::string_view(d->d_name) == ".hidden")
            hasHiddenFile = true;
        if (mayBeFolder(d))
            candidates.push_back({d->d_name, d->d_type});
    }
    const std::unordered_set<std::string> hiddenNames =
        hasHiddenFile ? ReadHiddenNames(dirFd) : std::unordered_set<std::string>();
    std::atomic<bool> found{false};
    std::atomic<size_t> next{0};
    const auto look = [&](int) {
        for (size_t i = next++; i < candidates.size() && !found; i = next++) {
            if (admitted(candidates[i].name, candidates[i].type, hiddenNames))
                found = true;
        }
    };
    if (plan.lanes > 1 && candidates.size() > 1)
        RunLanes(int(std::min<size_t>(size_t(plan.lanes), candidates.size())), look);
    else
        look(0);
    return found;
}

} // namespace

bool HasSubfolder(const QString& folder, const ListOptions& admission, const DriveModel& drives) {
    return HasSubfolderIn(folder, admission, drives, std::nullopt);
}

bool TreeCaptionLess(const QString& a, const QString& b) {
    const int folded = QString::compare(a, b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a < b;
}

std::vector<TreeLevelEntry> ReadTreeLevel(const QString& folder, const ListOptions& admission,
                                          const DriveModel& drives) {
    std::vector<SubfolderEntry> entries = ScanSubfolders(folder, admission, drives);
    const bool share = CallsWait(folder);
    // On a share the looks go side by side, and so do the stats inside each look, as many in
    // all as one read keeps in flight.
    const int looks = int(std::clamp<size_t>(entries.size(), 1, size_t(kShareLanes)));
    const LookPlan lookPlan{share, share ? std::max(1, kShareLanes / looks) : 1};
    const QString base = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
    std::vector<TreeLevelEntry> level(entries.size());
    std::vector<char> look(entries.size(), 1);
    QStringList mountPaths;
    std::vector<size_t> mountIndex;
    for (size_t i = 0; i < entries.size(); ++i) {
        level[i].caption = DisplayFileName(entries[i].name);
        level[i].entry = std::move(entries[i]);
        const QString path = base + level[i].entry.name;
        if (drives.IsMountPoint(path)) {
            mountPaths.append(path);
            mountIndex.push_back(i);
        }
    }
    // Another mount is looked into only if it answers at once: the look is for an expand mark,
    // and the full wait comes when the user goes into it.
    if (!mountPaths.isEmpty()) {
        const std::vector<std::optional<MountStatus>> answers = MountAnswers(drives, mountPaths);
        for (size_t m = 0; m < mountIndex.size(); ++m)
            look[mountIndex[m]] = answers[m] && answers[m]->ready;
    }
    const auto peek = [&](size_t from, size_t to) {
        for (size_t i = from; i < to; ++i) {
            if (look[i])
                level[i].hasSubfolders =
                    HasSubfolderIn(base + level[i].entry.name, admission, drives, lookPlan);
        }
    };
    // Each look is a few system calls of its own; two threads halve a folder of thousands. On a
    // share, where each call waits for the other side, many looks are kept in flight.
    constexpr size_t kShareFrom = 256;
    if (share && level.size() > 1) {
        std::atomic<size_t> next{0};
        RunLanes(looks, [&](int) {
            for (size_t i = next++; i < level.size(); i = next++)
                peek(i, i + 1);
        });
    } else if (level.size() >= kShareFrom) {
        const size_t half = level.size() / 2;
        RunSideBySide([&] { peek(0, half); }, [&] { peek(half, level.size()); });
    } else {
        peek(0, level.size());
    }
    // Two names that show alike (bytes that are not UTF-8) keep their directory order.
    std::stable_sort(level.begin(), level.end(), [](const TreeLevelEntry& a, const TreeLevelEntry& b) {
        return TreeCaptionLess(a.caption, b.caption);
    });
    return level;
}

} // namespace tobimaru
