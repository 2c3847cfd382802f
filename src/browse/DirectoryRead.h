#pragma once

#include "base/DirStream.h"

#include <QString>
#include <QtGlobal>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace tobimaru {

/// Opens a folder for one readdir pass; "" or a folder that cannot be opened gives no stream.
DirStream OpenFolder(const QString& folder);

/// The names a folder's ".hidden" file lists, one per line (the file managers' way of hiding
/// entries without renaming them). Only a regular file of sane size is read, so a FIFO or a
/// huge file under that name cannot stall a listing; anything else gives no names.
std::unordered_set<std::string> ReadHiddenNames(int dirFd);

/// What one stat of an entry learned: all that the listing, the tree's scan and its expand marks
/// ask of it. A stat follows a link; a dangling link gives the link itself.
struct EntryFacts {
    bool found = false;     ///< false: gone since the directory was read
    std::uint32_t mode = 0; ///< st_mode
    qint64 size = 0;
    qint64 modified = 0; ///< st_mtim, whole seconds
};

class FolderMemo;

/// How the reads of one folder go: how many calls they keep in flight, and the memo that lets
/// every read of the folder in one command ask each entry once.
struct ReadPlan {
    /// 2 on a local disk, where the processor is the limit; many on a share, a FUSE file system
    /// or a stick, where each call waits for the other side and the processor is idle.
    int lanes = 2;
    /// Only where calls wait: on a local disk a stat costs less than remembering it.
    std::shared_ptr<FolderMemo> memo;

    bool wide() const { return lanes > 2; }
};

/// The plan for the reads of `folder`, open as `dirFd`; its file system's type decides.
ReadPlan PlanReads(const QString& folder, int dirFd);

/// Whether `folder` lies on a file system where each call waits for the other side (the test
/// of PlanReads, by path).
bool CallsWait(const QString& folder);

/// Calls kept in flight on a file system where each call waits for the other side.
constexpr int kShareLanes = 32;

/// Stats `name` in `dirFd`, or takes the answer a read of the same folder had in this command.
EntryFacts StatEntry(int dirFd, const char* name, FolderMemo* memo);

/// The entries of one folder already asked on a file system where each call waits: the listing,
/// the tree's scan of the folder and its expand mark all read the same folder for one user
/// command, each on its own worker, and a typeless entry (DT_UNKNOWN) is asked once for all of
/// them. An answer is kept for a few seconds at most, less than the kernel's NFS client keeps
/// attributes (3 s and up), so nothing older is seen than the share itself would show.
class FolderMemo final {
public:
    /// The memo shared by the reads of `folder` now; a new one once the old is out of date.
    static std::shared_ptr<FolderMemo> Of(const QString& folder);
    /// Ends every memo: the next read of any folder asks afresh (a new command that must trust
    /// nothing asked before).
    static void ForgetAll();

    FolderMemo();

    std::optional<EntryFacts> find(std::string_view name) const;
    void keep(std::string_view name, const EntryFacts& facts);
    /// When a read last asked or told the memo (steady clock ticks): an idle memo ends.
    std::int64_t lastUse() const { return m_used; }
    void touch();

private:
    mutable std::atomic<std::int64_t> m_used{0};
    mutable std::mutex m_mutex;
    std::unordered_map<std::string, EntryFacts> m_facts;
};

} // namespace tobimaru
