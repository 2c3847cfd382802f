#pragma once

#include "browse/FolderListing.h"

#include <QString>
#include <vector>

namespace tobimaru {

/// One admitted subfolder of a folder, as the folder tree shows it.
struct SubfolderEntry {
    QString name;                            ///< as the directory holds it
    EntryAttr attr = EntryAttr::Plain;       ///< what decided its admission (and its colour)
    FolderImage image = FolderImage::Closed; ///< the special image of a read-only folder, else Closed
};

class DriveModel;

/// Reads `folder` in one readdir pass and returns its subfolders (links to folders included) that
/// the attribute switches of `admission` admit, in directory order. Only ShowHidden, ShowSystem
/// and ShowReadOnly are read. A folder that cannot be read, or "", gives nothing; nothing throws.
///
/// A subfolder that is a mount point of `drives` is never touched on the calling thread: its
/// root's attributes come from the drives' probe (all such subfolders asked at once, a glance's
/// wait), and one whose probe did not answer is shown as a plain folder.
std::vector<SubfolderEntry> ScanSubfolders(const QString& folder, const ListOptions& admission,
                                           const DriveModel& drives);

/// The same over the live mount table.
std::vector<SubfolderEntry> ScanSubfolders(const QString& folder, const ListOptions& admission);

/// Whether `folder` holds at least one subfolder the switches admit: the directory is read only
/// up to the first one, which is all a node's expand mark needs. A mount point inside counts
/// after a glance at its probe (its root's mode decides, as in ScanSubfolders).
bool HasSubfolder(const QString& folder, const ListOptions& admission, const DriveModel& drives);

/// One child of a folder as the tree adds it: the scan's entry, whether it has subfolders of its
/// own (for its expand mark) and the caption it is shown and sorted by.
struct TreeLevelEntry {
    SubfolderEntry entry;
    QString caption;
    bool hasSubfolders = false;
};

/// Everything a node needs when it opens: its admitted subfolders (ScanSubfolders), each looked
/// into up to its first subfolder, in caption order (TreeCaptionLess). A child that is another
/// mount is looked into only when its drive answers at a glance. Runs on a worker thread; with
/// many children the looks are shared between two threads.
std::vector<TreeLevelEntry> ReadTreeLevel(const QString& folder, const ListOptions& admission,
                                          const DriveModel& drives);

/// Caption order without regard to case; captions that differ only in case keep a fixed order.
bool TreeCaptionLess(const QString& a, const QString& b);

} // namespace tobimaru
