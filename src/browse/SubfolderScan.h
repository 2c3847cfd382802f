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

/// Reads `folder` in one readdir pass and returns its subfolders (links to folders included) that
/// the attribute switches of `admission` admit, in directory order. Only ShowHidden, ShowSystem
/// and ShowReadOnly are read. A folder that cannot be read, or "", gives nothing; nothing throws.
std::vector<SubfolderEntry> ScanSubfolders(const QString& folder, const ListOptions& admission);

/// The image of a read-only folder by its exact name ("My Pictures", "My Music", "My Videos",
/// "Favorites"); Closed for any other name.
FolderImage ReadOnlyFolderImage(const QString& name);

} // namespace tobimaru
