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

// A mount point is known to be there from the table: asking a dead network mount would hang.
void AddPlace(QStringList& places, const QString& folder, bool mountPoint) {
    if (!folder.isEmpty() && !places.contains(folder) && (mountPoint || ExistsFolder(folder)))
        places.append(folder);
}

} // namespace

QString BrowseFolder(Prompts& prompts, const QString& prompt, const QString& initialFolder, int root) {
    if (root != kBrowseRootNetwork)
        return BrowseFolder(prompts, prompt, initialFolder, root, DriveModel(MountTable{}));
    QString answer;
    RunQuietly(
        [&] { answer = BrowseFolder(prompts, prompt, initialFolder, root, DriveModel::FromSystem()); });
    return answer;
}

QString BrowseFolder(Prompts& prompts, const QString& prompt, const QString& initialFolder, int root,
                     const DriveModel& drives) {
    QString answer;
    RunQuietly([&] {
        QString initial = initialFolder;
        if (root == kBrowseRootNetwork &&
            drives.GetDriveType(drives.GetDriveName(initial)) != DriveType::Remote)
            initial = NetworkDrives(drives).value(0);
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
    QStringList places;
    if (root == kBrowseRootNetwork) {
        for (const QString& drive : NetworkDrives(drives))
            AddPlace(places, drive, true);
        return places;
    }
    const ClsGetSpecialFolder special;
    AddPlace(places, special.DesktopPath(), false);
    AddPlace(places, QDir::homePath(), false);
    AddPlace(places, special.MyDocumentPath(), false);
    for (const QString& drive : drives.AddressBoxDrives())
        AddPlace(places, drive, true);
    return places;
}

} // namespace tobimaru
