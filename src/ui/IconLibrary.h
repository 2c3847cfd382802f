#pragma once

#include <QIcon>
#include <QString>

namespace tobimaru {

/// The pictures behind the image keys of the folder views and the toolbar ("FolderClose98",
/// "DeskTopXp", "Play", "Pause", ...). Drawn from the style's standard icons so the program ships
/// no picture files; an unknown key gives a null icon.
QIcon IconForKey(const QString& key);

} // namespace tobimaru
