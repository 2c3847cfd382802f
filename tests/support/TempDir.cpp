#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <stdexcept>

namespace tobimaru::test {

TempDir::TempDir()
{
    if (!m_dir.isValid())
        throw std::runtime_error("cannot make a temporary folder");
}

QString TempDir::path() const { return m_dir.path(); }

QString TempDir::file(const QString& relative) const { return m_dir.path() + QLatin1Char('/') + relative; }

QString TempDir::write(const QString& relative, const QByteArray& content) const
{
    const QString full = file(relative);
    QDir().mkpath(QFileInfo(full).absolutePath());
    QFile f(full);
    if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size())
        throw std::runtime_error("cannot write " + full.toStdString());
    return full;
}

QString TempDir::mkdir(const QString& relative) const
{
    const QString full = file(relative);
    if (!QDir().mkpath(full))
        throw std::runtime_error("cannot make " + full.toStdString());
    return full;
}

} // namespace tobimaru::test
