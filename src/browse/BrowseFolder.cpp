#include "browse/BrowseFolder.h"

#include "base/ErrorBox.h"
#include "base/PathQueries.h"
#include "base/Prompts.h"
#include "browse/Drives.h"
#include "browse/SystemFolders.h"

#include <QDir>

namespace tobimaru {

namespace {

QStringList NetworkDrives(const DriveModel& drives) {
    QStringList out;
    for (const QString& drive : drives.AddressBoxDrives()) {
        if (drives.GetDriveType(drive) == DriveType::Remote)
            out.append(drive);
    }
    return out;
}

struct Place {
    QString folder;
    bool mountPoint = false; ///< known to be there from the table: no existence test
};

} // namespace

QString BrowseFolder(Prompts& prompts, const QString& prompt, const QString& initialFolder, int root) {
    QString answer;
    RunQuietly(
        [&] { answer = BrowseFolder(prompts, prompt, initialFolder, root, DriveModel::FromSystem()); });
    return answer;
}

QString BrowseFolder(Prompts& prompts, const QString& prompt, const QString& initialFolder, int root,
                     const DriveModel& drives) {
    QString answer;
    RunQuietly([&] {
        // The places the chooser gathers are asked within the same command: one wait in all.
        const MountProber::Command command(drives.prober());
        QStringList candidates;
        if (root != kBrowseRootNetwork ||
            drives.GetDriveType(drives.GetDriveName(initialFolder)) == DriveType::Remote)
            candidates.append(initialFolder);
        if (root == kBrowseRootNetwork)
            candidates += NetworkDrives(drives);
        candidates.removeAll(QString());
        const QString initial = ReachableFolders(candidates, drives).value(0);
        const QString chosen = prompts.browseFolder(prompt, initial, root);
        // Only a place of the local file system counts as an answer.
        if (chosen.startsWith(QLatin1Char('/')))
            answer = QDir::cleanPath(chosen);
    });
    return answer;
}

QStringList BrowsePlaces(int root) {
    QStringList places;
    RunQuietly([&] { places = BrowsePlaces(root, DriveModel::FromSystem()); });
    return places;
}

QStringList BrowsePlaces(int root, const DriveModel& drives) {
    std::vector<Place> candidates;
    if (root == kBrowseRootNetwork) {
        for (const QString& drive : NetworkDrives(drives))
            candidates.push_back({drive, true});
    } else {
        const ClsGetSpecialFolder special;
        candidates.push_back({special.DesktopPath(), false});
        candidates.push_back({QDir::homePath(), false});
        candidates.push_back({special.MyDocumentPath(), false});
        for (const QString& drive : drives.AddressBoxDrives())
            candidates.push_back({drive, true});
    }
    QStringList folders;
    for (const Place& p : candidates)
        folders.append(p.folder);
    const MountProber::Command command(drives.prober());
    const QStringList reachable = ReachableFolders(folders, drives);
    QStringList places;
    for (const Place& p : candidates) {
        if (!p.folder.isEmpty() && !places.contains(p.folder) && reachable.contains(p.folder) &&
            (p.mountPoint || ExistsFolder(p.folder)))
            places.append(p.folder);
    }
    return places;
}

QStringList ReachableFolders(const QStringList& folders) {
    QStringList reachable;
    RunQuietly([&] { reachable = ReachableFolders(folders, DriveModel::FromSystem()); });
    return reachable;
}

QStringList ReachableFolders(const QStringList& folders, const DriveModel& drives) {
    QStringList driveOf;
    QStringList asked;
    for (const QString& folder : folders) {
        const QString drive = drives.GetDriveName(folder);
        driveOf.append(drive);
        if (!drive.isEmpty() && !asked.contains(drive))
            asked.append(drive);
    }
    std::vector<std::optional<MountStatus>> answers;
    try {
        answers = drives.ProbeDrives(asked);
    } catch (...) {
        return {}; // a probe that fails is no answer
    }
    QStringList reachable;
    for (qsizetype i = 0; i < folders.size(); ++i) {
        const qsizetype index = driveOf[i].isEmpty() ? -1 : asked.indexOf(driveOf[i]);
        if (index >= 0 && answers[size_t(index)] && answers[size_t(index)]->ready)
            reachable.append(folders[i]);
    }
    return reachable;
}

} // namespace tobimaru
