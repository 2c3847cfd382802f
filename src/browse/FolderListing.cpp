#include "browse/FolderListing.h"

#include "base/FileNames.h"

#include "base/RuntimeSettings.h"
#include "base/SideBySide.h"
#include "browse/DirectoryRead.h"

#include <QFile>
#include <QHash>
#include <algorithm>
#include <atomic>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>
#include <unordered_set>

namespace tobimaru {

namespace {

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

bool IsAscii(std::string_view s) {
    for (const char c : s)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// The extension of a name as the path queries give it: after the last dot, "" without one.
std::string_view ExtensionOf(std::string_view name) {
    const size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
}

// One pattern of the list, prepared so that most names are judged on their bytes alone.
struct Pattern {
    enum class Kind { Nothing, Everything, Extension, General };
    Kind kind = Kind::Nothing;
    QString text;
    std::string ext;  ///< lower-cased extension a file must have (Extension, General), UTF-8
    QString extLower; ///< the same as a QString, for extensions beyond ASCII
    bool asciiExt = true;

    bool extensionMatches(std::string_view nameExt) const {
        if (asciiExt) {
            if (nameExt.size() != ext.size())
                return false;
            for (size_t i = 0; i < ext.size(); ++i)
                if (AsciiLower(nameExt[i]) != ext[i])
                    return false;
            return true;
        }
        return DecodeFileName(QByteArrayView(nameExt.data(), qsizetype(nameExt.size()))).toLower() ==
               extLower;
    }

    bool matches(std::string_view name) const {
        switch (kind) {
        case Kind::Nothing:
            return false;
        case Kind::Everything:
            return true;
        case Kind::Extension:
            return extensionMatches(ExtensionOf(name));
        case Kind::General:
            return extensionMatches(ExtensionOf(name)) &&
                   MatchesWildcard(text, DecodeFileName(QByteArrayView(name.data(), qsizetype(name.size()))));
        }
        return false;
    }
};

// A pattern of the list. Besides matching the wildcard, a file's own extension must equal the
// pattern's (the text after its first "*."), both lower-cased: the rule the program has always
// had, and it turns the usual "*.mpg" into a byte compare that needs no wildcard matching.
Pattern MakePattern(const QString& text) {
    Pattern p;
    p.text = text;
    if (text.isEmpty())
        return p;
    const qsizetype star = text.indexOf(QLatin1String("*."));
    QString ext;
    if (star >= 0) {
        ext = text.mid(star + 2);
    } else {
        const qsizetype dot = text.lastIndexOf(QLatin1Char('.'));
        ext = dot < 0 ? QString() : text.mid(dot + 1);
    }
    p.extLower = ext.toLower();
    p.ext = p.extLower.toStdString();
    p.asciiExt = IsAscii(p.ext);
    const bool wild = ext.contains(QLatin1Char('*')) || ext.contains(QLatin1Char('?'));
    if (text == QLatin1String("*.") + ext && !wild) {
        // A name's extension never holds a dot, so "*.tar.gz" can take nothing.
        p.kind = ext.contains(QLatin1Char('.')) ? Pattern::Kind::Nothing : Pattern::Kind::Extension;
    } else {
        p.kind = Pattern::Kind::General;
    }
    return p;
}

std::vector<Pattern> MakePatterns(const ListOptions& options) {
    std::vector<Pattern> patterns;
    if (options.FileViewMode) {
        Pattern all;
        all.kind = Pattern::Kind::Everything;
        all.text = QStringLiteral("*.*");
        patterns.push_back(all);
        return patterns;
    }
    // The list is cut at every ";" of the list plus one final ";", so a trailing ";" adds no
    // pattern while an empty one in the middle is a pattern that finds nothing.
    const QString list = options.ListPattern + QLatin1Char(';');
    qsizetype start = 0;
    while (start < list.size()) {
        const qsizetype semi = list.indexOf(QLatin1Char(';'), start);
        patterns.push_back(MakePattern(list.mid(start, semi - start)));
        start = semi + 1;
    }
    return patterns;
}

// The names a folder's ".hidden" file lists, one per line (the file managers' convention).
class HiddenList {
public:
    void load(int dirFd) { m_names = ReadHiddenNames(dirFd); }
    bool contains(std::string_view name) const {
        return !m_names.empty() && m_names.count(std::string(name));
    }

private:
    std::unordered_set<std::string> m_names;
};

enum class EntryState : std::uint8_t { Unseen, Queued };

struct Entry {
    std::uint32_t nameOffset = 0;
    std::uint32_t nameLength = 0;
    std::uint32_t slot = 0; ///< its place among the rows to be, once queued
    EntryState state = EntryState::Unseen;
};

// In the listing order, an entry that comes up again under a later pattern.
constexpr std::uint32_t kAgain = 0x80000000u;

// One string per distinct extension of a listing, so that its rows share them.
class ExtensionTexts {
public:
    const QString& text(std::string_view bytes) {
        if (m_last && bytes == m_lastBytes)
            return *m_last;
        auto it = m_texts.find(std::string(bytes));
        if (it == m_texts.end()) {
            const QString decoded = DecodeFileName(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
            it = m_texts.emplace(std::string(bytes), decoded.isEmpty() ? NoExtensionText() : decoded).first;
        }
        m_lastBytes = it->first;
        m_last = &it->second;
        return *m_last;
    }

private:
    std::unordered_map<std::string, QString> m_texts;
    std::string_view m_lastBytes;
    const QString* m_last = nullptr;
};

// The icon table of a listing and its runs, filled row by row in listing order.
class IconTable {
public:
    IconTable(ListResult& result, const QString& base)
        : m_result(result)
        , m_base(base) {}

    /// Adds the icon of a row just put at `position` of the rows.
    void add(ListRow& row, std::uint32_t position) {
        if (row.isFolder()) {
            const size_t image = size_t(row.folderImage);
            if (m_folderIcons[image] == 0) {
                m_folderIcons[image] = std::uint32_t(m_result.icons.size());
                m_result.icons.push_back({QString(), row.folderImage});
            }
            row.icon = m_folderIcons[image];
            return;
        }
        // The common case: the next file of a run, with the very string of the one before.
        if (row.extension.constData() == m_previousExtension.constData() && !m_previousOwn &&
            !m_result.iconRuns.empty()) {
            row.icon = m_previousIcon;
            return;
        }
        const qsizetype dot = row.name.lastIndexOf(QLatin1Char('.'));
        const bool none = dot < 0 || dot == row.name.size() - 1;
        const QString extension = none ? QString() : row.extension;
        const QString base = FileIconBase(extension, extension.isEmpty() ? QString() : m_base + row.name);
        const bool own = base.size() != extension.size();
        std::uint32_t icon = 0;
        if (!base.isEmpty()) {
            const auto it = m_byBase.constFind(base);
            if (it != m_byBase.cend()) {
                icon = *it;
            } else {
                icon = std::uint32_t(m_result.icons.size());
                m_result.icons.push_back({base, FolderImage::None});
                if (!own)
                    m_byBase.insert(base, icon);
            }
        }
        if (m_result.iconRuns.empty() || base != m_previousBase)
            m_result.iconRuns.push_back({position, icon});
        row.icon = icon;
        m_previousBase = base;
        m_previousExtension = row.extension;
        m_previousIcon = icon;
        m_previousOwn = own;
    }

private:
    ListResult& m_result;
    const QString& m_base;
    std::uint32_t m_folderIcons[8] = {};
    QHash<QString, std::uint32_t> m_byBase;
    QString m_previousBase;
    QString m_previousExtension;
    std::uint32_t m_previousIcon = 0;
    bool m_previousOwn = false;
};

// Lists one folder: a single readdir pass files the names under the patterns they match; the
// patterns are then walked in order, giving each entry a row slot the first time it comes up;
// the entries are stat'ed and their rows made in those slots, on two threads when there are
// many; last the refused slots are squeezed out, in place.
class Lister {
public:
    Lister(const QString& folder, const ListOptions& options)
        : m_options(options)
        , m_base(ListKeyBase(folder))
        , m_patterns(MakePatterns(options))
        , m_byPattern(m_patterns.size()) {}

    ListResult run(const QString& folder, const std::stop_token& stop) {
        ListResult result;
        result.folder = folder;
        const DirStream dir = OpenFolder(folder);
        if (!dir)
            return result;
        const int dirFd = ::dirfd(dir.get());
        reserveFor(dirFd);
        const bool hasHiddenFile = collect(dir.get());
        if (hasHiddenFile)
            m_hidden.load(dirFd);
        queue();
        result.rows.resize(m_slotEntry.size());
        examineAll(dirFd, result.rows, PlanReads(folder, dirFd), stop);
        produce(result);
        return result;
    }

private:
    // Below this many entries a second thread costs more than it saves.
    static constexpr size_t kEntriesForTwoThreads = 4096;

    bool wantsFolders() const { return m_options.FileViewMode && m_options.ShowFolders; }

    // Room for the names by the size of the directory, which bounds them on the usual file
    // systems: a big folder's names then never move while they are read. Room that is not
    // written to costs no memory.
    void reserveFor(int fd) {
        struct stat st {};
        if (::fstat(fd, &st) != 0)
            return;
        const size_t bytes = std::min<size_t>(size_t(std::max<off_t>(st.st_size, 0)), size_t(1) << 28);
        m_names.reserve(bytes);
        m_entries.reserve(bytes / 32);
    }

    // The one pass over the directory; returns whether a ".hidden" file was seen.
    bool collect(DIR* dir) {
        bool hasHiddenFile = false;
        const bool folders = wantsFolders();
        while (const dirent* d = ::readdir(dir)) {
            const std::string_view name(d->d_name);
            if (name == "." || name == "..")
                continue;
            if (name == ".hidden")
                hasHiddenFile = true;
            // A known folder is decided without a stat when folders are not listed.
            if (d->d_type == DT_DIR && !folders)
                continue;
            bool filed = false;
            for (size_t p = 0; p < m_patterns.size(); ++p) {
                if (!m_patterns[p].matches(name))
                    continue;
                if (!filed) {
                    Entry e;
                    e.nameOffset = std::uint32_t(m_names.size());
                    e.nameLength = std::uint32_t(name.size());
                    m_names.append(name);
                    m_names.push_back('\0'); // ready for fstatat without a copy
                    m_entries.push_back(e);
                    filed = true;
                }
                m_byPattern[p].push_back(std::uint32_t(m_entries.size() - 1));
            }
        }
        return hasHiddenFile;
    }

    // The listing order: pattern by pattern, each entry's first time a slot, a later time a mark.
    void queue() {
        size_t total = 0;
        for (const auto& indexes : m_byPattern)
            total += indexes.size();
        m_order.reserve(total);
        m_slotEntry.reserve(m_entries.size());
        for (auto& indexes : m_byPattern) {
            for (const std::uint32_t index : indexes) {
                Entry& e = m_entries[index];
                if (e.state == EntryState::Queued) {
                    m_order.push_back(index | kAgain);
                    continue;
                }
                e.state = EntryState::Queued;
                e.slot = std::uint32_t(m_slotEntry.size());
                m_slotEntry.push_back(index);
                m_order.push_back(index);
            }
            indexes = {};
        }
    }

    std::string_view nameOf(const Entry& e) const {
        return std::string_view(m_names.data() + e.nameOffset, e.nameLength);
    }

    // Stats every queued entry and makes its row if it is admitted, in two halves side by side
    // for a big folder: on a 2-core machine the stat calls of a folder of media are most of a
    // listing.
    //
    // Where each call waits for the other side (a share, a stick), many stats are kept in flight
    // instead, each lane taking the next slot, and the read stops taking slots once it is
    // abandoned.
    void examineAll(int dirFd, std::vector<ListRow>& rows, const ReadPlan& plan,
                    const std::stop_token& stop) {
        const size_t n = m_slotEntry.size();
        m_admitted.assign(n, 0);
        m_memo = plan.memo.get();
        if (plan.wide() && n > 1) {
            const int lanes = int(std::min<size_t>(size_t(plan.lanes), n));
            std::vector<ExtensionTexts> texts{size_t(lanes)};
            std::atomic<size_t> next{0};
            RunLanes(lanes, [&](int lane) {
                for (size_t slot = next++; slot < n && !stop.stop_requested(); slot = next++)
                    examine(dirFd, rows, slot, slot + 1, texts[size_t(lane)]);
            });
            return;
        }
        if (n < kEntriesForTwoThreads) {
            ExtensionTexts texts;
            examine(dirFd, rows, 0, n, texts);
            return;
        }
        ExtensionTexts here, beside;
        RunSideBySide([&] { examine(dirFd, rows, 0, n / 2, here); },
                      [&] { examine(dirFd, rows, n / 2, n, beside); });
    }

    void examine(int dirFd, std::vector<ListRow>& rows, size_t from, size_t to, ExtensionTexts& texts) {
        for (size_t slot = from; slot < to; ++slot)
            m_admitted[slot] = admit(dirFd, m_entries[m_slotEntry[slot]], rows[slot], texts);
    }

    // Squeezes the refused slots out and stops at an entry listed twice.
    void produce(ListResult& result) {
        std::vector<ListRow>& rows = result.rows;
        IconTable icons(result, m_base);
        size_t kept = 0;
        for (const std::uint32_t item : m_order) {
            if (item & kAgain) {
                if (m_admitted[m_entries[item & ~kAgain].slot]) {
                    // The same file under a second pattern: the listing ends here.
                    result.complete = false;
                    break;
                }
                continue;
            }
            const std::uint32_t slot = m_entries[item].slot;
            if (!m_admitted[slot])
                continue;
            if (kept != slot)
                rows[kept] = std::move(rows[slot]);
            ListRow& row = rows[kept];
            ++(row.isFolder() ? result.folders : result.files);
            icons.add(row, std::uint32_t(kept));
            ++kept;
        }
        rows.resize(kept);
        // A folder of mostly refused entries should not keep their room in every row.
        if (rows.capacity() - kept > kept / 4)
            rows.shrink_to_fit();
    }

    bool admit(int dirFd, const Entry& e, ListRow& row, ExtensionTexts& texts) const {
        const std::string_view name = nameOf(e);
        const char* const cname = m_names.data() + e.nameOffset;
        const EntryFacts st = StatEntry(dirFd, cname, m_memo);
        if (!st.found)
            return false; // gone since the directory was read
        const bool isDir = S_ISDIR(st.mode);
        if (isDir && !wantsFolders())
            return false;
        const bool readOnly = (st.mode & 0222) == 0;
        const bool hidden = name[0] == '.' || m_hidden.contains(name);
        const EntryAttr attr = ClassifyEntry(name == "lost+found", isDir, S_ISREG(st.mode), hidden, readOnly);
        if (!IsAdmitted(attr, m_options))
            return false;

        row.name = DecodeFileName(QByteArrayView(name.data(), qsizetype(name.size())));
        row.attr = attr;
        row.modified = st.modified;
        if (isDir) {
            row.extension = FolderRowExtension();
            row.folderImage = attr == EntryAttr::ReadOnly ? ReadOnlyFolderImage(name) : FolderImage::Closed;
        } else {
            row.extension = texts.text(ExtensionOf(name));
            row.size = st.size;
        }
        return true;
    }

    const ListOptions& m_options;
    const QString m_base;
    const std::vector<Pattern> m_patterns;
    std::vector<std::vector<std::uint32_t>> m_byPattern;
    std::vector<Entry> m_entries;
    std::string m_names;
    HiddenList m_hidden;
    std::vector<std::uint32_t> m_order;     ///< entries in listing order; kAgain marks a repeat
    std::vector<std::uint32_t> m_slotEntry; ///< by row slot: its entry
    std::vector<char> m_admitted;           ///< by row slot
    FolderMemo* m_memo = nullptr;           ///< on a share: what other reads of the folder asked
};

bool SameFolded(QChar a, QChar b) {
    return a == b || a.toCaseFolded() == b.toCaseFolded();
}

} // namespace

ListOptions MakeListOptions(const RuntimeSettings& settings, bool fileViewMode) {
    ListOptions o;
    o.ListPattern = settings.ListPattern;
    o.FileViewMode = fileViewMode;
    o.ShowHidden = settings.ShowHidden;
    o.ShowSystem = settings.ShowSystem;
    o.ShowReadOnly = settings.ShowReadOnly;
    o.ShowFolders = settings.ShowFolders;
    return o;
}

EntryAttr ClassifyEntry(bool namedLostFound, bool isDir, bool isRegular, bool hidden, bool readOnly) {
    if (isDir ? namedLostFound : !isRegular)
        return EntryAttr::System;
    if (hidden)
        return EntryAttr::Hidden;
    if (readOnly)
        return EntryAttr::ReadOnly;
    return EntryAttr::Plain;
}

bool IsAdmitted(EntryAttr attr, const ListOptions& options) {
    switch (attr) {
    case EntryAttr::System:
        return options.ShowSystem;
    case EntryAttr::Hidden:
        return options.ShowHidden;
    case EntryAttr::ReadOnly:
        return options.ShowReadOnly;
    case EntryAttr::Plain:
        return true;
    }
    return true;
}

ListResult ListFolderRows(const QString& folder, const ListOptions& options, const std::stop_token& stop) {
    if (folder.isEmpty())
        return {};
    Lister lister(folder, options);
    return lister.run(folder, stop);
}

ListResult ListFolderRows(const QString& folder, const ListOptions& options) {
    return ListFolderRows(folder, options, {});
}

void PrepareListing(ListResult& result, int sortColumn, bool descending) {
    result.order = SortListRows(result.rows, sortColumn, descending);
    result.index.build(result.rows);
    result.widest = FindWidestRows(result.rows);
}

bool MatchesWildcard(QStringView pattern, QStringView name) {
    if (pattern == u"*.*" || pattern == u"*")
        return true;
    // Greedy match with one backtrack point: the last "*" seen.
    qsizetype p = 0, n = 0, starP = -1, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == u'*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == u'?' || SameFolded(pattern[p], name[n]))) {
            ++p;
            ++n;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == u'*')
        ++p;
    return p == pattern.size();
}

QString FileIconBase(const QString& extension, const QString& fullPath) {
    if (extension == QLatin1String("lnk") || extension == QLatin1String("exe") ||
        extension == QLatin1String("ico") || extension == QLatin1String("desktop"))
        return fullPath;
    return extension;
}

FolderImage ReadOnlyFolderImage(std::string_view name) {
    if (name == "My Pictures")
        return FolderImage::MyPictures;
    if (name == "My Music")
        return FolderImage::MyMusic;
    if (name == "My Videos")
        return FolderImage::MyVideos;
    if (name == "Favorites")
        return FolderImage::Favorites;
    return FolderImage::Closed;
}

} // namespace tobimaru
