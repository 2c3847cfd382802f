#pragma once

#include "support/TempDir.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tobimaru::test {

/// A home trash of the test's own: $XDG_DATA_HOME points into a temporary folder while this
/// lives, and QStandardPaths' test mode, which would hide it from code asking QStandardPaths, is
/// off meanwhile. The trash is the desktop's real one, written by DesktopTrash.
class TrashHome {
public:
    TrashHome();
    ~TrashHome();
    TrashHome(const TrashHome&) = delete;
    TrashHome& operator=(const TrashHome&) = delete;

    QString dataHome() const { return m_dir.file(QStringLiteral("data")); }
    QString trash() const { return dataHome() + QStringLiteral("/Trash"); }
    /// The names in the trash's "files", sorted.
    QStringList files() const;
    /// The "Path=" line of a trashed name's info file, "" when there is none.
    QString originalPath(const QString& name) const;

private:
    TempDir m_dir;
    QByteArray m_oldDataHome;
    bool m_hadDataHome = false;
    bool m_testMode = false;
};

/// The names in a folder's trash of `volume` (".Trash-<uid>/files"), sorted.
QStringList VolumeTrashFiles(const QString& volume);

} // namespace tobimaru::test
