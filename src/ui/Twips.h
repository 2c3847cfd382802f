#pragma once

#include <optional>

namespace tobimaru {

/// Stored sizes and positions are twips (1440 per inch); the screen's logical DPI converts them.
double LogicalDpi();
int TwipsToPixels(double twips);
double PixelsToTwips(double pixels);
/// The twips to store for a length of `pixels`: the value read at start when it still comes to
/// those pixels (so a stored 7000 does not turn into 7005 by the round trip), else the pixels
/// converted.
double TwipsToStore(int pixels, std::optional<double> stored);

} // namespace tobimaru
