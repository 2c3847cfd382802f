#pragma once

#include <QPixmap>
#include <QString>
#include <Qt>

class QComboBox;
class QIcon;

namespace tobimaru {

class DriveModel;
class FileIcons;
class Prompts;
struct IconSet;

/// Item data role of an address-box entry's key ("DeskTop", "MyDocments" or a mount point).
inline constexpr int AddressKeyRole = Qt::UserRole;
/// Item data role of an address-box entry's image key.
inline constexpr int AddressImageRole = Qt::UserRole + 1;

/// Key of the desktop entry of the address box.
QString DesktopEntryKey();
/// Key of the documents entry of the address box.
QString DocumentsEntryKey();

/// The picture of an icon for an image list: 16x16 device-independent pixels; a null pixmap for a
/// null icon.
QPixmap IconToPicture(const QIcon& icon);

/// The image key of a drive's root ("ICON:" + the theme name of its kind of drive). The image is
/// added to `icons` the first time; when no picture can be had at all, the user is told
/// (mount point + "のアイコンファイルの取得に失敗しました。") and the key is still returned, with
/// no image behind it.
QString DriveIconKey(const QString& drive, const DriveModel& drives, FileIcons& icons, Prompts& prompts);

/// Fills `ImageCombo1`: the desktop and documents entries, then one per drive of the address box
/// in mount-table order (key the mount point, caption its display name, image its root icon).
void FillAddressBox(QComboBox* box, const DriveModel& drives, const IconSet& iconSet, FileIcons& icons,
                    Prompts& prompts);

/// Index of the entry with that key, -1 when there is none.
int FindAddressEntry(const QComboBox* box, const QString& key);

/// The key of the entry at `index`; "" for an index out of range.
QString AddressEntryKey(const QComboBox* box, int index);

/// Selects the entry with that key; when the box has none (a drive left out of the box), the
/// selection and the text are emptied instead.
void SelectAddressEntry(QComboBox* box, const QString& key);

/// Empties the box's selection and text; the entries stay.
void ClearAddressText(QComboBox* box);

} // namespace tobimaru
