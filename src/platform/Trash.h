#pragma once

#include <QString>
#include <QStringList>
#include <atomic>
#include <memory>

namespace tobimaru {

/// The desktop's trash. Every member may be called from a worker thread.
class Trash {
public:
    virtual ~Trash() = default;
    /// Moves one entry (a file, a folder with all it holds, a link as a link) to the trash. False
    /// when it cannot go there: the entry then stays where it was and `reason` says why.
    virtual bool moveToTrash(const QString& path, QString* reason) = 0;
    /// The user's trash folders that exist now, each once.
    virtual QStringList trashFolders() const = 0;
};

/// The freedesktop.org trash through QFile::moveToTrash: the home trash under the data folder
/// ($XDG_DATA_HOME/Trash) and, for files on another volume, that volume's ".Trash/<uid>" or
/// ".Trash-<uid>".
class DesktopTrash final : public Trash {
public:
    bool moveToTrash(const QString& path, QString* reason) override;
    /// The home trash and the trash of every mounted local volume. Network volumes are left
    /// out: one whose server has gone would hold the job for minutes.
    QStringList trashFolders() const override;

    /// Where the home trash is (it need not exist yet).
    static QString HomeTrash();
};

/// Where the desktop has no trash: nothing can go there, so nothing is ever removed.
class NoTrash final : public Trash {
public:
    bool moveToTrash(const QString& path, QString* reason) override;
    QStringList trashFolders() const override { return {}; }
};

/// The trash the session offers: the desktop's when a home trash can be had, else NoTrash.
std::unique_ptr<Trash> MakeSessionTrash();

/// Empties "files" and "info" of each trash folder and drops its size cache; links inside are
/// removed as links. Stops between folders once `cancel` is set. Returns false when anything
/// stayed, with one line per failure in `failures`.
bool EmptyTrashFolders(const QStringList& folders, const std::atomic<bool>* cancel, QStringList* failures);

} // namespace tobimaru
