#include "ui/AppIcon.h"
#include "playback/PlayMarks.h"
#include "ui/IconLibrary.h"

#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <cstdlib>
#include <gtest/gtest.h>

using namespace tobimaru;

// The window, the task bar and the splash ask for the logo at these sizes; each must be drawn
// from the compiled-in picture, not left blank.
TEST(AppIcon, TheLogoIsDrawnAtEverySizeADesktopAsksFor) {
    const QIcon icon = AppIcon();
    ASSERT_FALSE(icon.isNull()) << "no logo: the resource is missing or Qt's SVG engine (libqt6svg6) is";
    for (const int size : {16, 22, 32, 48, 64, 128, 256}) {
        const QImage image = icon.pixmap(QSize(size, size)).toImage();
        ASSERT_EQ(image.size(), QSize(size, size)) << size;
        // The tile has rounded corners on a clear ground, and its middle is painted.
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << size;
        EXPECT_EQ(qAlpha(image.pixel(size / 2, size / 2)), 255) << size;
    }
}

namespace {

// The smallest rectangle holding every pixel that is not transparent.
QRect Ink(const QImage& image) {
    QRect ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) > 96)
                ink |= QRect(x, y, 1, 1);
    return ink;
}

// Pixels of `mark` laid on `ground` that stand clearly apart from it.
int PixelsApartFrom(const QIcon& mark, const QColor& ground) {
    QImage row(16, 16, QImage::Format_ARGB32);
    row.fill(ground);
    QPainter p(&row);
    p.drawPixmap(0, 0, mark.pixmap(16, 16));
    p.end();
    int apart = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const QColor c = row.pixelColor(x, y);
            const int d = std::abs(c.red() - ground.red()) + std::abs(c.green() - ground.green()) +
                          std::abs(c.blue() - ground.blue());
            apart += d > 200 ? 1 : 0;
        }
    return apart;
}

} // namespace

// At 96 dpi the speed button's "1.0" stood about five pixels tall, and the repeat mark was blue on
// the blue of a selected row.
TEST(Legibility, SmallPicturesCanBeReadAtNinetySixDpiAndOnASelectedRow) {
    const QRect text = Ink(IconForKey(QStringLiteral("RateOne")).pixmap(16, 16).toImage());
    EXPECT_GE(text.height(), 7) << "the text of the speed button";
    EXPECT_GE(text.width(), 11);
    for (const QColor& selection : {QColor(0, 120, 215), QColor(48, 140, 198), QColor(61, 174, 233)})
        EXPECT_GE(PixelsApartFrom(PlayMarkImage(QStringLiteral("LOOP_KEY")), selection), 20)
            << selection.name().toStdString();
    EXPECT_GE(PixelsApartFrom(PlayMarkImage(QStringLiteral("LOOP_KEY")), Qt::white), 20);
}
