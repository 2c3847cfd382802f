#include "ui/AppIcon.h"

#include <QString>

namespace tobimaru {

QIcon AppIcon() {
    return QIcon(QStringLiteral(":/icons/tobimarume.svg"));
}

} // namespace tobimaru
