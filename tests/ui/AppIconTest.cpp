#include "ui/AppIcon.h"

#include <QImage>
#include <QPixmap>
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
