#include "platform/WindowSystem.h"

namespace tobimaru {

bool PlatformPlacesWindows(const QString& platformName) {
    // Qt's Wayland plugins are all named "wayland" or "wayland-<client buffer kind>".
    return !platformName.startsWith(QLatin1String("wayland"));
}

} // namespace tobimaru
