#include "ui/ProgramLogo.h"

#include <QFile>
#include <QIcon>
#include <QPainter>
#include <algorithm>

namespace tobimaru {

QPixmap ProgramLogo(int size) {
    const QString path = QString::fromLatin1(kLogoResource);
    if (QFile::exists(path)) {
        // QIcon draws an SVG at the size asked for, not a scaled bitmap.
        const QPixmap pm = QIcon(path).pixmap(size, size);
        if (!pm.isNull())
            return pm;
    }
    return PlaceholderLogo(size);
}

QPixmap PlaceholderLogo(int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 40, 90));
    p.drawRoundedRect(QRectF(0, 0, size, size), size / 8.0, size / 8.0);
    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(std::max(1, size * 2 / 5));
    p.setFont(font);
    p.setPen(QColor(250, 200, 40));
    p.drawText(QRect(0, 0, size, size), Qt::AlignCenter, QStringLiteral("TM"));
    return pm;
}

} // namespace tobimaru
