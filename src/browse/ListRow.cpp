#include "browse/ListRow.h"

#include "browse/ListFormat.h"

namespace tobimaru {

QString ListRowSizeText(const ListRow& row) {
    return row.isFolder() ? FolderRowSize() : FormatSizeKB(row.size);
}

QString ListRowText(const ListRow& row, int column) {
    switch (column) {
    case ExtensionColumn:
        return row.extension;
    case SizeColumn:
        return ListRowSizeText(row);
    case TimeColumn:
        return row.modified == kNoTime ? QString() : FormatFileTime(row.modified);
    default:
        return row.name;
    }
}

QString ListKeyBase(const QString& folder) {
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

QString JoinListKey(QStringView folder, QStringView name) {
    QString key;
    const bool slash = folder.endsWith(u'/');
    key.reserve(folder.size() + name.size() + (slash ? 0 : 1));
    key.append(folder);
    if (!slash)
        key.append(QLatin1Char('/'));
    key.append(name);
    return key;
}

QString FolderRowExtension() {
    return QStringLiteral("フォルダ");
}
QString FolderRowSize() {
    return QStringLiteral("--------");
}
QString NoExtensionText() {
    return QStringLiteral("<拡張子なし>");
}

} // namespace tobimaru
