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

/// The freedesktop.org trash (1.0), our own: the home trash under the data folder
/// ($XDG_DATA_HOME/Trash, made when missing) for entries on its file system and, for entries on
/// another volume, that volume's ".Trash/<uid>" (a sticky shared folder) or ".Trash-<uid>" (the
/// user's own, mode 0700). A trash folder that is a link, belongs to someone else or is open to
/// others is never used; the entry then stays. Names are handled as bytes, so names that are not
/// UTF-8 go and come back unchanged.
class DesktopTrash final : public Trash {
public:
    /// Writes the info file first (a free name: "name", "name.2", ...), then renames the entry
    /// into "files" without ever replacing anything; on failure the info file goes again.
    bool moveToTrash(const QString& path, QString* reason) override;
    /// The home trash and the trash of every mounted local volume, each only when the trash
    /// folder passes the checks moveToTrash makes (a "files" or "info" link inside is left to
    /// EmptyTrashFolders, which refuses it aloud). Network volumes are left out: one whose
    /// server has gone would hold the job for minutes.
    QStringList trashFolders() const override;

    /// Where the home trash is (it need not exist yet); "" when no home folder is known.
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
