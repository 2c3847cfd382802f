#include "ui/IconLibrary.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHash>
#include <QPainter>
#include <QPixmap>
#include <QStyle>

namespace tobimaru {

namespace {

QIcon Standard(QStyle::StandardPixmap p) {
    return QApplication::style()->standardIcon(p);
}

// The XP set and the other set differ only in look: the XP pictures get a coloured corner.
QIcon Tinted(const QIcon& base, const QColor& corner) {
    QPixmap pm = base.pixmap(16, 16);
    if (pm.isNull())
        return base;
    QPainter p(&pm);
    p.setPen(Qt::NoPen);
    p.setBrush(corner);
    p.drawEllipse(QRect(10, 10, 6, 6));
    return QIcon(pm);
}

// The toolbar's icons are square: a wider picture was scaled down until its text stood about
// five pixels tall. Drawn square, at the sizes toolbars ask for, the text keeps its height.
QIcon Text(const QString& text) {
    QIcon icon;
    for (const int side : {16, 24, 32}) {
        QPixmap pm(side, side);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::TextAntialiasing);
        QFont f = p.font();
        f.setBold(true);
        f.setStretch(QFont::SemiCondensed);
        f.setPixelSize(side * 3 / 4);
        // Narrow it until the whole text fits the width.
        while (f.pixelSize() > 6 && QFontMetrics(f).horizontalAdvance(text) > side)
            f.setPixelSize(f.pixelSize() - 1);
        p.setFont(f);
        p.setPen(QColor(0, 0, 128));
        p.drawText(pm.rect(), Qt::AlignCenter | Qt::TextDontClip, text);
        icon.addPixmap(pm);
    }
    return icon;
}

} // namespace

QIcon IconForKey(const QString& key) {
    const bool xp = key.endsWith(QLatin1String("Xp")) || key == QLatin1String("FolderClose") ||
                    key == QLatin1String("FolderOpen");
    QString role = key;
    for (const char* suffix : {"Xp", "98"}) {
        if (role.endsWith(QLatin1String(suffix)))
            role.chop(2);
    }
    QIcon icon;
    if (role == QLatin1String("FolderClose") || role == QLatin1String("Favorites"))
        icon = Standard(QStyle::SP_DirClosedIcon);
    else if (role == QLatin1String("FolderOpen"))
        icon = Standard(QStyle::SP_DirOpenIcon);
    else if (role == QLatin1String("DeskTop"))
        icon = Standard(QStyle::SP_DesktopIcon);
    else if (role == QLatin1String("MyNet"))
        icon = Standard(QStyle::SP_DriveNetIcon);
    else if (role == QLatin1String("MyDoc"))
        icon = Standard(QStyle::SP_DirHomeIcon);
    else if (role == QLatin1String("UpOne"))
        icon = Standard(QStyle::SP_FileDialogToParent);
    else if (role == QLatin1String("MyMusic") || role == QLatin1String("MyPicture") ||
             role == QLatin1String("MyVideo"))
        icon = Standard(QStyle::SP_DirLinkIcon);
    else if (key == QLatin1String("Refresh"))
        icon = Standard(QStyle::SP_BrowserReload);
    else if (key == QLatin1String("FileView"))
        icon = Standard(QStyle::SP_FileDialogDetailedView);
    else if (key == QLatin1String("Extract"))
        icon = Standard(QStyle::SP_ArrowDown);
    else if (key == QLatin1String("ExtractSelect"))
        icon = Standard(QStyle::SP_DialogSaveButton);
    else if (key == QLatin1String("Play"))
        icon = Standard(QStyle::SP_MediaPlay);
    else if (key == QLatin1String("Pause"))
        icon = Standard(QStyle::SP_MediaPause);
    else if (key == QLatin1String("Stop"))
        icon = Standard(QStyle::SP_MediaStop);
    else if (key == QLatin1String("Previous"))
        icon = Standard(QStyle::SP_MediaSkipBackward);
    else if (key == QLatin1String("Next"))
        icon = Standard(QStyle::SP_MediaSkipForward);
    else if (key == QLatin1String("Repeat"))
        icon = Standard(QStyle::SP_BrowserReload);
    else if (key == QLatin1String("Ascending"))
        icon = Standard(QStyle::SP_ArrowDown);
    else if (key == QLatin1String("Descending"))
        icon = Standard(QStyle::SP_ArrowUp);
    else if (key == QLatin1String("RateOne"))
        icon = Text(QStringLiteral("1.0"));
    else
        return {};
    return xp ? Tinted(icon, QColor(0, 120, 215)) : icon;
}

} // namespace tobimaru
