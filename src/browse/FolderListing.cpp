#include "browse/FolderListing.h"

#include "base/FileNames.h"

#include "base/RuntimeSettings.h"
#include "browse/DirectoryRead.h"
#include "browse/ListFormat.h"

#include <QFile>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
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

enum class EntryState : std::uint8_t { Unseen, Listed, Refused };

struct Entry {
    std::uint32_t nameOffset = 0;
    std::uint32_t nameLength = 0;
    EntryState state = EntryState::Unseen;
};

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

// Lists one folder: a single readdir pass files the names under the patterns they match, then
// the patterns are walked in order, stat'ing each entry the first time it comes up.
class Lister {
public:
    Lister(const QString& folder, const ListOptions& options)
        : m_options(options)
        , m_base(folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/'))
        , m_patterns(MakePatterns(options))
        , m_byPattern(m_patterns.size()) {}

    ListResult run(const QString& folder) {
        ListResult result;
        const QByteArray path = EncodeFileName(folder);
        const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return result;
        DirHandle dir(::fdopendir(fd));
        if (!dir) {
            ::close(fd);
            return result;
        }
        const bool hasHiddenFile = collect(dir.get());
        const int dirFd = ::dirfd(dir.get());
        if (hasHiddenFile)
            m_hidden.load(dirFd);
        produce(dirFd, result);
        return result;
    }

private:
    bool wantsFolders() const { return m_options.FileViewMode && m_options.ShowFolders; }

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

    std::string_view nameOf(const Entry& e) const {
        return std::string_view(m_names.data() + e.nameOffset, e.nameLength);
    }

    void produce(int dirFd, ListResult& result) {
        for (const auto& indexes : m_byPattern) {
            for (const std::uint32_t index : indexes) {
                Entry& e = m_entries[index];
                if (e.state == EntryState::Listed) {
                    // The same file under a second pattern: the listing ends here.
                    result.complete = false;
                    return;
                }
                if (e.state == EntryState::Unseen)
                    e.state = admit(dirFd, e, result) ? EntryState::Listed : EntryState::Refused;
            }
        }
    }

    bool admit(int dirFd, const Entry& e, ListResult& result) {
        const std::string_view name = nameOf(e);
        const char* const cname = m_names.data() + e.nameOffset;
        struct stat st {};
        if (::fstatat(dirFd, cname, &st, 0) != 0 && ::fstatat(dirFd, cname, &st, AT_SYMLINK_NOFOLLOW) != 0)
            return false; // gone since the directory was read
        const bool isDir = S_ISDIR(st.st_mode);
        if (isDir && !wantsFolders())
            return false;
        const bool readOnly = (st.st_mode & 0222) == 0;
        const bool hidden = name[0] == '.' || m_hidden.contains(name);
        const EntryAttr attr =
            ClassifyEntry(name == "lost+found", isDir, S_ISREG(st.st_mode), hidden, readOnly);
        if (!IsAdmitted(attr, m_options))
            return false;

        ListRow row;
        row.name = DecodeFileName(QByteArrayView(name.data(), qsizetype(name.size())));
        row.key = m_base + row.name;
        row.attr = attr;
        row.modified = qint64(st.st_mtim.tv_sec);
        row.timeText = m_times.format(row.modified);
        if (isDir) {
            row.extension = FolderRowExtension();
            row.sizeText = FolderRowSize();
            row.folderImage = attr == EntryAttr::ReadOnly ? ReadOnlyFolderImage(name) : FolderImage::Closed;
            ++result.folders;
        } else {
            const std::string_view ext = ExtensionOf(name);
            const QString extension = DecodeFileName(QByteArrayView(ext.data(), qsizetype(ext.size())));
            row.extension = extension.isEmpty() ? NoExtensionText() : extension;
            row.iconBase = FileIconBase(extension, row.key);
            row.size = qint64(st.st_size);
            row.sizeText = FormatSizeKB(row.size);
            ++result.files;
        }
        result.rows.push_back(std::move(row));
        return true;
    }

    const ListOptions& m_options;
    const QString m_base;
    const std::vector<Pattern> m_patterns;
    std::vector<std::vector<std::uint32_t>> m_byPattern;
    std::vector<Entry> m_entries;
    std::string m_names;
    HiddenList m_hidden;
    FileTimeFormatter m_times;
};

bool SameFolded(QChar a, QChar b) {
    return a == b || a.toCaseFolded() == b.toCaseFolded();
}

} // namespace

ListOptions MakeListOptions(const RuntimeSettings& settings, bool fileViewMode) {
    ListOptions o;
    o.ListPattern = settings.ListPattern;
    o.FileViewMode = fileViewMode;
    o.ShowHidden = settings.ShowHidden != 0;
    o.ShowSystem = settings.ShowSystem != 0;
    o.ShowReadOnly = settings.ShowReadOnly != 0;
    o.ShowFolders = settings.ShowFolders != 0;
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

ListResult ListFolderRows(const QString& folder, const ListOptions& options) {
    if (folder.isEmpty())
        return {};
    Lister lister(folder, options);
    return lister.run(folder);
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

QString FolderRowExtension() {
    return QStringLiteral("フォルダ");
}
QString FolderRowSize() {
    return QStringLiteral("--------");
}
QString NoExtensionText() {
    return QStringLiteral("<拡張子なし>");
}

} // namespace tobimaru
