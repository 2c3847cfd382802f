#pragma once

#include <QString>
#include <QStringList>

namespace tobimaru {

class DriveModel;
class Prompts;

/// Chooser roots: the desktop (every place) and the network drives.
inline constexpr int kBrowseRootDesktop = 0;
inline constexpr int kBrowseRootNetwork = 18;

/// Asks the user for a folder through the prompts' folder chooser, `prompt` as its title and
/// `initialFolder` preselected ("" opens the chooser at its root). Returns the chosen folder's
/// path without a trailing "/", or "" when the user cancels, the answer is no local path, or
/// anything fails inside; no message is shown. Reads the live mount table.
QString BrowseFolder(Prompts& prompts, const QString& prompt, const QString& initialFolder, int root);

/// The same with a mount-table snapshot the caller has taken. An initial folder on a drive that
/// does not answer is not handed to the chooser (""). For root 18 an initial folder that lies on
/// no network drive gives way to the first network drive that answers ("" when there is none).
QString BrowseFolder(Prompts& prompts, const QString& prompt, const QString& initialFolder, int root,
                     const DriveModel& drives);

/// The side-bar places of a chooser root: root 0 the desktop, the home folder, the documents
/// and the drives of the address box; root 18 the network drives. Each place once, in that
/// order; folders the desktop does not have, and places on drives that do not answer, are left
/// out. Nothing on a drive is touched before its probe has answered. Fits
/// MessageBoxPrompts::PlacesFunction; reads the live mount table.
QStringList BrowsePlaces(int root);

/// BrowsePlaces over a given mount-table snapshot.
QStringList BrowsePlaces(int root, const DriveModel& drives);

/// Of these folders, in order, the ones that lie on a drive whose probe answered "ready" (all
/// drives asked at once, one wait): the folders a folder dialog may be handed, since it stats what
/// it is given on the user-interface thread. A folder on no drive is left out. Nothing throws.
/// Reads the live mount table.
QStringList ReachableFolders(const QStringList& folders);

/// ReachableFolders over a given mount-table snapshot.
QStringList ReachableFolders(const QStringList& folders, const DriveModel& drives);

} // namespace tobimaru
