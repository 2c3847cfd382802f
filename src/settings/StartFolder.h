#pragma once

#include <QString>

namespace tobimaru {

class SettingsHost;
struct RuntimeSettings;

/// The folder tree's admission switches (FileView's HiddenAtr, SystemAtr and ReadOnlyAtr).
struct TreeAdmission {
    bool showHidden = false;
    bool showSystem = false;
    bool showReadOnly = false;
};

/// True when the folder tree can open down to `folder` below the root `drive` (the folder's
/// mount point): `folder` is an absolute, clean path without NUL to an existing folder; every
/// folder between the root and it is admitted by the switches (lost+found is a system folder,
/// a name with a leading dot or listed in its parent's .hidden file a hidden one, a folder
/// without any write bit a read-only one); and each folder on the way, `folder` included, can
/// be listed.
bool TreeCanShowFolder(const QString& folder, const QString& drive, const TreeAdmission& admission);

/// Keeps out.StartFolder when the tree can show it (written clean), else starts where a missing
/// stored folder starts: in the current directory, or where the tree cannot show that either,
/// in the nearest folder above it that it can (at worst the drive's root). Sets StartDrive to
/// match.
void AdmitStartFolder(SettingsHost& host, RuntimeSettings& out);

} // namespace tobimaru
