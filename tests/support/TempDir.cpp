#include "support/TempDir.h"

#include "base/FileNames.h"

#include <fcntl.h>
#include <ftw.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <stdexcept>

namespace tobimaru::test {

TempDir::TempDir() {
    if (!m_dir.isValid())
        throw std::runtime_error("cannot make a temporary folder");
}

TempDir::~TempDir() {
    if (!m_dir.isValid())
        return;
    m_dir.setAutoRemove(false);
    const QByteArray root = EncodeFileName(m_dir.path());
    // Children before their folder, links as links; a read-only folder is opened up first.
    ::nftw(
        root.constData(),
        [](const char* p, const struct stat*, int flag, FTW*) {
            if (flag == FTW_DP || flag == FTW_D || flag == FTW_DNR) {
                ::chmod(p, 0700);
                ::rmdir(p);
            } else {
                ::unlink(p);
            }
            return 0;
        },
        16, FTW_DEPTH | FTW_PHYS);
}

QString TempDir::path() const {
    return m_dir.path();
}

QString TempDir::file(const QString& relative) const {
    return m_dir.path() + QLatin1Char('/') + relative;
}

QString TempDir::write(const QString& relative, const QByteArray& content) const {
    const QString full = file(relative);
    QDir().mkpath(QFileInfo(full).absolutePath());
    QFile f(full);
    if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size())
        throw std::runtime_error("cannot write " + full.toStdString());
    return full;
}

QString TempDir::mkdir(const QString& relative) const {
    const QString full = file(relative);
    if (!QDir().mkpath(full))
        throw std::runtime_error("cannot make " + full.toStdString());
    return full;
}

QString TempDir::writeBytes(const QByteArray& relative, const QByteArray& content) const {
    const QByteArray full = EncodeFileName(path()) + '/' + relative;
    const int fd = ::open(full.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || ::write(fd, content.constData(), size_t(content.size())) != content.size()) {
        if (fd >= 0)
            ::close(fd);
        throw std::runtime_error("cannot write " + full.toStdString());
    }
    ::close(fd);
    return DecodeFileName(full);
}

QString TempDir::mkdirBytes(const QByteArray& relative) const {
    const QByteArray full = EncodeFileName(path()) + '/' + relative;
    if (::mkdir(full.constData(), 0755) != 0)
        throw std::runtime_error("cannot make " + full.toStdString());
    return DecodeFileName(full);
}

} // namespace tobimaru::test
