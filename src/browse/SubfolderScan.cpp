#include "browse/SubfolderScan.h"

#include "base/FileNames.h"

#include "browse/DirectoryRead.h"

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

// A name that may be a folder: known from d_type, or to be settled by a stat.
struct Candidate {
    std::string name;
    bool knownDir = false;
};

} // namespace

FolderImage ReadOnlyFolderImage(const QString& name) {
    if (name == QLatin1String("My Pictures"))
        return FolderImage::MyPictures;
    if (name == QLatin1String("My Music"))
        return FolderImage::MyMusic;
    if (name == QLatin1String("My Videos"))
        return FolderImage::MyVideos;
    if (name == QLatin1String("Favorites"))
        return FolderImage::Favorites;
    return FolderImage::Closed;
}

std::vector<SubfolderEntry> ScanSubfolders(const QString& folder, const ListOptions& admission) {
    std::vector<SubfolderEntry> out;
    if (folder.isEmpty())
        return out;
    const int fd = ::open(EncodeFileName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return out;
    DirHandle dir(::fdopendir(fd));
    if (!dir) {
        ::close(fd);
        return out;
    }

    // Files are by far the most entries; d_type drops them without a stat.
    std::vector<Candidate> candidates;
    bool hasHiddenFile = false;
    while (const dirent* d = ::readdir(dir.get())) {
        const std::string_view name(d->d_name);
        if (name == "." || name == "..")
            continue;
        if (name == ".hidden")
            hasHiddenFile = true;
        if (d->d_type == DT_DIR)
            candidates.push_back({std::string(name), true});
        else if (d->d_type == DT_LNK || d->d_type == DT_UNKNOWN)
            candidates.push_back({std::string(name), false});
    }

    const int dirFd = ::dirfd(dir.get());
    const std::unordered_set<std::string> hiddenNames =
        hasHiddenFile ? ReadHiddenNames(dirFd) : std::unordered_set<std::string>();
    out.reserve(candidates.size());
    for (const Candidate& c : candidates) {
        const bool hidden = c.name[0] == '.' || hiddenNames.count(c.name) != 0;
        const bool lostFound = c.name == "lost+found";
        // System and hidden come before read-only: a known folder refused for either needs no stat.
        if (c.knownDir &&
            ((lostFound && !admission.ShowSystem) || (!lostFound && hidden && !admission.ShowHidden)))
            continue;
        struct stat st {};
        if (::fstatat(dirFd, c.name.c_str(), &st, 0) != 0 || !S_ISDIR(st.st_mode))
            continue; // a file, a dangling link, or gone since the directory was read
        const bool readOnly = (st.st_mode & 0222) == 0;
        const EntryAttr attr = ClassifyEntry(lostFound, true, false, hidden, readOnly);
        if (!IsAdmitted(attr, admission))
            continue;
        SubfolderEntry e;
        e.name = DecodeFileName(QByteArrayView(c.name.data(), qsizetype(c.name.size())));
        e.attr = attr;
        e.image = attr == EntryAttr::ReadOnly ? ReadOnlyFolderImage(e.name) : FolderImage::Closed;
        out.push_back(std::move(e));
    }
    return out;
}

} // namespace tobimaru
