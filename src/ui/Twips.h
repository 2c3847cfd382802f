#pragma once

namespace tobimaru {

/// Stored sizes and positions are twips (1440 per inch); the screen's logical DPI converts them.
double LogicalDpi();
int TwipsToPixels(double twips);
double PixelsToTwips(double pixels);

} // namespace tobimaru
