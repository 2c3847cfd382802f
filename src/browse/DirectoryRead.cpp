#include "browse/DirectoryRead.h"

#include "base/FileNames.h"
#include "base/UniqueFd.h"

#include <QHash>
#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>
#include <vector>

namespace tobimaru {

namespace {

using Clock = std::chrono::steady_clock;

// File systems where every call waits for another machine, a daemon or a slow device: network
// file systems, FUSE (sshfs, gvfs, ntfs-3g), and the file systems of sticks and discs.
bool CallsWaitOn(const struct statfs& fs) {
    switch (static_cast<std::uint32_t>(fs.f_type)) {
    case 0x65735546u: // FUSE, fuseblk
    case 0x6969u:     // NFS
    case 0x517Bu:     // SMB
    case 0xFE534D42u: // SMB2
    case 0xFF534D42u: // CIFS
    case 0x01021997u: // 9P
    case 0x00C36400u: // Ceph
    case 0x73757245u: // Coda
    case 0x5346414Fu: // AFS
    case 0x4D44u:     // FAT (vfat)
    case 0x2011BAB0u: // exFAT
    case 0x9660u:     // ISO 9660
    case 0x15013346u: // UDF
        return true;
    default:
        return false;
    }
}

// A memo serves the reads of one command: it ends once nobody used it for a moment, and a
// folder read over and over gets fresh answers now and then all the same.
constexpr auto kIdleEnd = std::chrono::seconds(2);
constexpr auto kLifeEnd = std::chrono::seconds(5);
constexpr qsizetype kMemosKept = 1024;

Clock::rep Now() {
    return Clock::now().time_since_epoch().count();
}

struct MemoSlot {
    Clock::rep born = 0;
    std::shared_ptr<FolderMemo> memo;

    bool fresh(Clock::rep now) const {
        return now - born <= Clock::duration(kLifeEnd).count() &&
               now - memo->lastUse() <= Clock::duration(kIdleEnd).count();
    }
};

// The memos of the folders read lately, shared by the tree's and the list's workers: the two
// subsystems never meet otherwise, and the memo, like the kernel's attribute cache, belongs to
// the process.
class MemoShelf final {
public:
    std::shared_ptr<FolderMemo> take(const QString& folder) {
        const Clock::rep now = Now();
        const std::lock_guard<std::mutex> lock(m_mutex);
        const auto it = m_slots.find(folder);
        if (it != m_slots.end() && it->fresh(now)) {
            it->memo->touch();
            return it->memo;
        }
        if (m_slots.size() >= kMemosKept) {
            m_slots.removeIf(
                [now](const QHash<QString, MemoSlot>::iterator& slot) { return !slot->fresh(now); });
            if (m_slots.size() >= kMemosKept)
                m_slots.clear();
        }
        MemoSlot& slot = m_slots[folder];
        slot.born = now;
        slot.memo = std::make_shared<FolderMemo>();
        return slot.memo;
    }

    void clear() {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_slots.clear();
    }

private:
    std::mutex m_mutex;
    QHash<QString, MemoSlot> m_slots;
};

MemoShelf theShelf;

} // namespace

DirStream OpenFolder(const QString& folder) {
    if (folder.isEmpty())
        return {};
    return OpenDirStream(::open(EncodeFileName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

ReadPlan PlanReads(const QString& folder, int dirFd) {
    ReadPlan plan;
    struct statfs fs {};
    if (::fstatfs(dirFd, &fs) == 0 && CallsWaitOn(fs)) {
        plan.lanes = kShareLanes;
        plan.memo = FolderMemo::Of(folder);
    }
    return plan;
}

bool CallsWait(const QString& folder) {
    struct statfs fs {};
    return !folder.isEmpty() && ::statfs(EncodeFileName(folder).constData(), &fs) == 0 && CallsWaitOn(fs);
}

EntryFacts StatEntry(int dirFd, const char* name, FolderMemo* memo) {
    if (memo) {
        if (const std::optional<EntryFacts> known = memo->find(name))
            return *known;
    }
    EntryFacts facts;
    struct stat st {};
    if (::fstatat(dirFd, name, &st, 0) == 0 || ::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) == 0) {
        facts.found = true;
        facts.mode = st.st_mode;
        facts.size = qint64(st.st_size);
        facts.modified = qint64(st.st_mtim.tv_sec);
    }
    if (memo)
        memo->keep(name, facts);
    return facts;
}

std::shared_ptr<FolderMemo> FolderMemo::Of(const QString& folder) {
    return theShelf.take(folder);
}

void FolderMemo::ForgetAll() {
    theShelf.clear();
}

FolderMemo::FolderMemo()
    : m_used(Now()) {}

void FolderMemo::touch() {
    m_used = Now();
}

std::optional<EntryFacts> FolderMemo::find(std::string_view name) const {
    m_used = Now();
    const std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = m_facts.find(std::string(name));
    if (it == m_facts.end())
        return std::nullopt;
    return it->second;
}

void FolderMemo::keep(std::string_view name, const EntryFacts& facts) {
    m_used = Now();
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_facts.insert_or_assign(std::string(name), facts);
}

std::unordered_set<std::string> ReadHiddenNames(int dirFd) {
    std::unordered_set<std::string> names;
    const UniqueFd fd(::openat(dirFd, ".hidden", O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat st {};
    constexpr off_t kMaxSize = 4 << 20;
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxSize)
        return names;
    std::string text(size_t(st.st_size), '\0');
    size_t got = 0;
    while (got < text.size()) {
        const ssize_t n = ::read(fd.get(), text.data() + got, text.size() - got);
        if (n <= 0)
            break;
        got += size_t(n);
    }
    text.resize(got);
    size_t pos = 0;
    while (pos < text.size()) {
        size_t eol = text.find('\n', pos);
        if (eol == std::string::npos)
            eol = text.size();
        std::string_view line(text.data() + pos, eol - pos);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (!line.empty())
            names.emplace(line);
        pos = eol + 1;
    }
    return names;
}

} // namespace tobimaru
