#include "ui/Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace tobimaru {

double LogicalDpi() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInch() : 96.0;
    return dpi > 0 ? dpi : 96.0;
}

int TwipsToPixels(double twips) {
    return static_cast<int>(std::lround(twips * LogicalDpi() / 1440.0));
}

double PixelsToTwips(double pixels) {
    return pixels * 1440.0 / LogicalDpi();
}

double TwipsToStore(int pixels, std::optional<double> stored) {
    if (stored && TwipsToPixels(*stored) == pixels)
        return *stored;
    return PixelsToTwips(pixels);
}

} // namespace tobimaru
