#include "ListingFixture.h"

#include <QDir>
#include <QFile>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <iterator>
#include <random>
#include <unistd.h>

namespace tobimaru::bench {

const char* const kListingPatterns = "*.rm;*.ram;*.ra;*.mpeg;*.mpg;*.wmv;*.avi;*.mov;*.dat;*.wav;*.png";

namespace {

const char* const kListed[] = {"rm", "ram", "ra", "mpeg", "mpg", "wmv", "avi", "mov", "dat", "wav", "png"};

QString FolderName(int files) {
    return QStringLiteral("tobimaru-bench-listing-%1-v3").arg(files);
}

} // namespace

QString ListingFolder(int files) {
    const QString folder = QDir::tempPath() + QLatin1Char('/') + FolderName(files);
    const QString ready = folder + QStringLiteral(".ready");
    if (QFile::exists(ready))
        return folder;
    std::fprintf(stderr, "making %d files in %s (once)\n", files, qPrintable(folder));
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    const char* media[] = {"rm",  "ram", "ra",  "mpeg", "mpg", "wmv", "avi",
                           "mov", "dat", "wav", "png",  "MPG", "AVI", "Wmv"};
    const char* other[] = {"txt",  "jpg", "mp3", "mpga", "doc", "avix",
                           "html", "ogg", "mkv", "",     "pdf", "m4a"};
    const char* words[] = {"clip", "Movie", "holiday", "test", "TV", "rec"};
    std::mt19937 rng(42);
    const QByteArray base = QFile::encodeName(folder);
    for (int i = 0; i < files; ++i) {
        const bool isMedia = (i % 10) < 3;
        const char* ext = isMedia ? media[rng() % std::size(media)] : other[rng() % std::size(other)];
        // Unique names whose order on disk has nothing to do with their number.
        char name[64];
        std::snprintf(name, sizeof name, "/%s %06u-%07d%s%s", words[rng() % std::size(words)],
                      unsigned(rng() % 1000000), i, *ext ? "." : "", ext);
        const QByteArray path = base + name;
        const int fd = ::open(path.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        if (fd < 0)
            continue;
        // Sparse: sizes up to 2 GB cost no disk.
        if (::ftruncate(fd, off_t(rng() % 2000000000u)) != 0)
            std::perror("ftruncate");
        ::close(fd);
    }
    QFile marker(ready);
    if (!marker.open(QIODevice::WriteOnly))
        std::perror("marker");
    return folder;
}

bool MatchesListedExtension(const char* name) {
    const char* dot = std::strrchr(name, '.');
    if (!dot)
        return false;
    const char* ext = dot + 1;
    const size_t length = std::strlen(ext);
    for (const char* listed : kListed) {
        if (std::strlen(listed) != length)
            continue;
        size_t k = 0;
        while (k < length && char(ext[k] | 0x20) == listed[k])
            ++k;
        if (k == length)
            return true;
    }
    return false;
}

} // namespace tobimaru::bench
