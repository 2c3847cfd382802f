#pragma once

#include <QIcon>
#include <QString>
#include <QStringList>

namespace tobimaru {

class FileIcons;

/// The row marks of continuous play: "PlayDwn", "PlayUp" (being played, down or up the list),
/// "NextDwn", "NextUp" (left by a step), "LOOP_KEY" (repeated), "PLAY_END_KEY" (played to the
/// end).
QStringList PlayMarkKeys();

/// The 16x16 picture of a mark; a null icon for any other key. Drawn here, so nothing ships.
QIcon PlayMarkImage(const QString& key);

/// Puts every mark into the shared image list (keys already held keep their image).
void AddPlayMarkImages(FileIcons& icons);

} // namespace tobimaru
