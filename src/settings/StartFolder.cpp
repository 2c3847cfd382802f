#include "settings/StartFolder.h"

#include "base/PathQueries.h"
#include "base/RuntimeSettings.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsHost.h"

#include <QDir>
#include <QFile>
#include <sys/stat.h>
#include <unistd.h>

namespace tobimaru {

namespace {

// The tree ignores a .hidden file beyond this size, so the same file hides nothing here.
constexpr qsizetype kMaxHiddenListBytes = qsizetype(4) << 20;

bool Listable(const QString& folder) {
    return ::access(QFile::encodeName(folder).constData(), R_OK | X_OK) == 0;
}

/// True when `name` is a line of the folder's .hidden file.
bool ListedAsHidden(const QString& folder, const QString& name) {
    QByteArray list;
    if (ReadSettingsFile(JoinPath(folder, QStringLiteral(".hidden")), list) != FileRead::Read ||
        list.size() > kMaxHiddenListBytes)
        return false;
    const QByteArray wanted = QFile::encodeName(name);
    for (QByteArray line : list.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (line == wanted)
            return true;
    }
    return false;
}

bool Admitted(const QString& parent, const QString& name, const struct stat& st, const TreeAdmission& a) {
    if (name == QLatin1String("lost+found"))
        return a.showSystem;
    if (name.startsWith(QLatin1Char('.')) || ListedAsHidden(parent, name))
        return a.showHidden;
    if ((st.st_mode & 0222) == 0)
        return a.showReadOnly;
    return true;
}

} // namespace

bool TreeCanShowFolder(const QString& folder, const QString& drive, const TreeAdmission& admission) {
    if (folder.isEmpty() || folder.contains(QChar(0)) || !folder.startsWith(QLatin1Char('/')) ||
        QDir::cleanPath(folder) != folder || drive.isEmpty())
        return false;
    const bool atRoot = drive == QLatin1String("/");
    if (folder != drive && !folder.startsWith(atRoot ? drive : drive + QLatin1Char('/')))
        return false;
    QString parent = drive;
    const QStringList names = folder == drive
                                  ? QStringList()
                                  : folder.mid(drive.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString& name : names) {
        if (!Listable(parent))
            return false;
        const QString path = JoinPath(parent, name);
        struct stat st {};
        if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISDIR(st.st_mode) ||
            !Admitted(parent, name, st, admission))
            return false;
        parent = path;
    }
    return ExistsFolder(folder) && Listable(folder);
}

void AdmitStartFolder(SettingsHost& host, RuntimeSettings& out) {
    const TreeAdmission admission{out.ShowHidden, out.ShowSystem, out.ShowReadOnly};
    const auto shown = [&](const QString& folder) {
        return TreeCanShowFolder(folder, host.driveName(folder), admission);
    };
    const QString stored = QDir::cleanPath(out.StartFolder);
    if (shown(stored)) {
        if (stored != out.StartFolder) {
            out.StartFolder = stored;
            out.StartDrive = host.driveName(stored);
        }
        return;
    }
    const QString current = host.currentDirectory();
    const QString drive = host.driveName(current);
    QString folder = QDir::cleanPath(current);
    while (!folder.isEmpty() && folder != drive && !shown(folder))
        folder = GetUpPath(folder);
    // The drive's root is the tree's own root node: the last resort even when it cannot be listed.
    out.StartFolder = folder.isEmpty() ? current : folder;
    out.StartDrive = drive;
}

} // namespace tobimaru
