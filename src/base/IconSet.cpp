#include "base/IconSet.h"

namespace tobimaru {

IconSet ChooseIconSet(const QString& osText) {
    if (osText.contains(QLatin1String("Windows XP"), Qt::CaseSensitive)) {
        return {QStringLiteral("FolderClose"), QStringLiteral("FolderOpen"), QStringLiteral("DeskTopXp"),
                QStringLiteral("MyNetXp"),     QStringLiteral("MyDocXp"),    QStringLiteral("UpOneXp"),
                QStringLiteral("FavoritesXp"), QStringLiteral("MyMusicXp"),  QStringLiteral("MyPictureXp"),
                QStringLiteral("MyVideoXp")};
    }
    return {QStringLiteral("FolderClose98"), QStringLiteral("FolderOpen98"),  QStringLiteral("DeskTop98"),
            QStringLiteral("MyNet98"),       QStringLiteral("MyDoc98"),       QStringLiteral("UpOne98"),
            QStringLiteral("Favorites98"),   QStringLiteral("FolderClose98"), QStringLiteral("MyPicture98"),
            QStringLiteral("FolderClose98")};
}

} // namespace tobimaru
