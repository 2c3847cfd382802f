#pragma once

#include <QString>

namespace tobimaru {

/// The image keys of the folder and place pictures, one per role.
struct IconSet {
    QString closedFolder;
    QString openFolder;
    QString desktop;
    QString network;
    QString myDocuments;
    QString upOneLevel;
    QString favorites;
    QString myMusic;
    QString myPictures;
    QString myVideos;
};

/// The XP set when the OS text contains "Windows XP" (exact case, anywhere), else the set
/// ending in "98" (which has no music or video picture: those use the closed folder).
IconSet ChooseIconSet(const QString& osText);

} // namespace tobimaru
