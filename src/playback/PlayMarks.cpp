#include "playback/PlayMarks.h"

#include "browse/FileIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>

namespace tobimaru {

namespace {

constexpr int kSide = 16;

const QColor kPlayGreen(0, 150, 60);
const QColor kStepGrey(90, 90, 90);
const QColor kLoopBlue(20, 90, 200);
const QColor kEndRed(210, 20, 20);

QPixmap Blank() {
    QPixmap pm(kSide, kSide);
    pm.fill(Qt::transparent);
    return pm;
}

void Arrow(QPainter& p, const QColor& color, bool up, qreal left, qreal width) {
    const qreal mid = left + width / 2;
    QPolygonF head;
    if (up)
        head << QPointF(left, 7) << QPointF(mid, 1) << QPointF(left + width, 7);
    else
        head << QPointF(left, 9) << QPointF(mid, 15) << QPointF(left + width, 9);
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPolygon(head);
    p.drawRect(QRectF(mid - width / 6, up ? 7 : 2, width / 3, 7));
}

QPixmap Playing(bool up) {
    QPixmap pm = Blank();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(kPlayGreen);
    p.drawPolygon(QPolygonF{QPointF(1, 2), QPointF(10, 8), QPointF(1, 14)});
    Arrow(p, kStepGrey, up, 10, 6);
    return pm;
}

QPixmap Step(bool up) {
    QPixmap pm = Blank();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    Arrow(p, kStepGrey, up, 3, 10);
    return pm;
}

QPixmap Loop() {
    QPixmap pm = Blank();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    // A white rim first: on a selected row the blue mark stood on blue and could not be seen.
    p.setPen(QPen(Qt::white, 4.2, Qt::SolidLine, Qt::FlatCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(2.5, 2.5, 11, 11), 60 * 16, 290 * 16);
    p.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::white);
    p.drawPolygon(QPolygonF{QPointF(9, 0.5), QPointF(15, 3.5), QPointF(10, 7.5)});
    p.setPen(QPen(kLoopBlue, 2.2, Qt::SolidLine, Qt::FlatCap));
    p.setBrush(Qt::NoBrush);
    // Most of a circle, open at the top right where the arrow head sits.
    p.drawArc(QRectF(2.5, 2.5, 11, 11), 60 * 16, 290 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(kLoopBlue);
    p.drawPolygon(QPolygonF{QPointF(9, 0.5), QPointF(15, 3.5), QPointF(10, 7.5)});
    return pm;
}

QPixmap Ended() {
    QPixmap pm = Blank();
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kEndRed, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath tick;
    tick.moveTo(2.5, 8.5);
    tick.lineTo(6.5, 12.5);
    tick.lineTo(13.5, 3.5);
    p.drawPath(tick);
    return pm;
}

} // namespace

QStringList PlayMarkKeys() {
    return {QStringLiteral("PlayDwn"), QStringLiteral("PlayUp"),   QStringLiteral("NextDwn"),
            QStringLiteral("NextUp"),  QStringLiteral("LOOP_KEY"), QStringLiteral("PLAY_END_KEY")};
}

QIcon PlayMarkImage(const QString& key) {
    if (key == QLatin1String("PlayDwn"))
        return QIcon(Playing(false));
    if (key == QLatin1String("PlayUp"))
        return QIcon(Playing(true));
    if (key == QLatin1String("NextDwn"))
        return QIcon(Step(false));
    if (key == QLatin1String("NextUp"))
        return QIcon(Step(true));
    if (key == QLatin1String("LOOP_KEY"))
        return QIcon(Loop());
    if (key == QLatin1String("PLAY_END_KEY"))
        return QIcon(Ended());
    return {};
}

void AddPlayMarkImages(FileIcons& icons) {
    for (const QString& key : PlayMarkKeys())
        icons.add(key, PlayMarkImage(key));
}

} // namespace tobimaru
