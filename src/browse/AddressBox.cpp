#include "browse/AddressBox.h"

#include "base/IconSet.h"
#include "base/Prompts.h"
#include "browse/Drives.h"
#include "browse/FileIcons.h"

#include <QComboBox>
#include <QFileIconProvider>
#include <QIcon>

namespace tobimaru {

namespace {

constexpr int kPictureSize = 16;

// The theme's picture, else the file-icon provider's (which falls back on the style's own).
QIcon DriveIcon(const DriveKind& kind) {
    QIcon icon = QIcon::fromTheme(QString::fromUtf8(kind.iconName));
    if (!IconToPicture(icon).isNull())
        return icon;
    const QFileIconProvider provider;
    icon = provider.icon(kind.networkIcon ? QAbstractFileIconProvider::Network
                                          : QAbstractFileIconProvider::Drive);
    return icon;
}

void AddEntry(QComboBox* box, const QString& key, const QString& caption, const QString& imageKey,
              const FileIcons& icons) {
    box->addItem(icons.icon(imageKey), caption);
    const int index = box->count() - 1;
    box->setItemData(index, key, AddressKeyRole);
    box->setItemData(index, imageKey, AddressImageRole);
}

} // namespace

QString DesktopEntryKey() {
    return QStringLiteral("DeskTop");
}

QString DocumentsEntryKey() {
    return QStringLiteral("MyDocments");
}

QPixmap IconToPicture(const QIcon& icon) {
    if (icon.isNull())
        return {};
    return icon.pixmap(QSize(kPictureSize, kPictureSize));
}

QString DriveIconKey(const QString& drive, const DriveModel& drives, FileIcons& icons, Prompts& prompts) {
    const DriveKind& kind = DriveKindOf(drives.GetDriveType(drive));
    const QString key = QStringLiteral("ICON:") + QString::fromUtf8(kind.iconName);
    if (icons.contains(key))
        return key;
    const QPixmap picture = IconToPicture(DriveIcon(kind));
    if (picture.isNull() || !icons.add(key, QIcon(picture))) {
        prompts.message(drive + QStringLiteral("のアイコンファイルの取得に失敗しました。"), AppTitle(),
                        PromptIcon::Information, PromptButtons::Ok);
    }
    return key;
}

void FillAddressBox(QComboBox* box, const DriveModel& drives, const IconSet& iconSet, FileIcons& icons,
                    Prompts& prompts) {
    box->clear();
    AddEntry(box, DesktopEntryKey(), QStringLiteral("デスクトップ"), iconSet.desktop, icons);
    AddEntry(box, DocumentsEntryKey(), QStringLiteral("マイドキュメント"), iconSet.myDocuments, icons);
    for (const QString& drive : drives.AddressBoxDrives()) {
        const QString imageKey = DriveIconKey(drive, drives, icons, prompts);
        AddEntry(box, drive, drives.RootCaption(drive), imageKey, icons);
    }
}

int FindAddressEntry(const QComboBox* box, const QString& key) {
    for (int i = 0; i < box->count(); ++i) {
        if (box->itemData(i, AddressKeyRole).toString() == key)
            return i;
    }
    return -1;
}

QString AddressEntryKey(const QComboBox* box, int index) {
    if (index < 0 || index >= box->count())
        return {};
    return box->itemData(index, AddressKeyRole).toString();
}

void SelectAddressEntry(QComboBox* box, const QString& key) {
    const int index = key.isEmpty() ? -1 : FindAddressEntry(box, key);
    if (index < 0) {
        ClearAddressText(box);
        return;
    }
    box->setCurrentIndex(index);
    // An edited text stays put when the index does not change; show the entry's caption again.
    if (box->isEditable())
        box->setEditText(box->itemText(index));
}

void ClearAddressText(QComboBox* box) {
    box->setCurrentIndex(-1);
    if (box->isEditable())
        box->setEditText(QString());
}

} // namespace tobimaru
