#include "support/TrashHome.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QUrl>
#include <unistd.h>

namespace tobimaru::test {

TrashHome::TrashHome()
    : m_oldDataHome(qgetenv("XDG_DATA_HOME"))
    , m_hadDataHome(qEnvironmentVariableIsSet("XDG_DATA_HOME"))
    , m_testMode(QStandardPaths::isTestModeEnabled()) {
    QDir().mkpath(dataHome());
    qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome()));
    QStandardPaths::setTestModeEnabled(false);
}

TrashHome::~TrashHome() {
    QStandardPaths::setTestModeEnabled(m_testMode);
    if (m_hadDataHome)
        qputenv("XDG_DATA_HOME", m_oldDataHome);
    else
        qunsetenv("XDG_DATA_HOME");
}

QStringList TrashHome::files() const {
    return QDir(trash() + QStringLiteral("/files"))
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

QString TrashHome::originalPath(const QString& name) const {
    QFile info(trash() + QStringLiteral("/info/") + name + QStringLiteral(".trashinfo"));
    if (!info.open(QIODevice::ReadOnly))
        return {};
    for (const QByteArray& line : info.readAll().split('\n')) {
        if (line.startsWith("Path="))
            return QUrl::fromPercentEncoding(line.mid(5));
    }
    return {};
}

QStringList VolumeTrashFiles(const QString& volume) {
    return QDir(volume + QStringLiteral("/.Trash-%1/files").arg(::geteuid()))
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace tobimaru::test
