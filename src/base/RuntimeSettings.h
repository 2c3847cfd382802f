#pragma once

#include <QString>
#include <cstdint>

namespace tobimaru {

/// The run-time values the settings load fills and the other subsystems read.
struct RuntimeSettings {
    int16_t ScreenSaverOff = 0;
    int16_t GesturesOn = 0;
    QString StartFolder;
    QString StartDrive;
    QString NetworkShareRoot;
    int16_t QuickPathMode = 0;
    QString ListPattern; ///< set by the load: the stored list or the built-in one
    int16_t SlideSeconds = 0;
    int16_t SlideKind = 0;
    int16_t ShowHidden = 0;
    int16_t ShowSystem = 0;
    int16_t ShowReadOnly = 0;
    int16_t ShowFolders = 0;
};

} // namespace tobimaru
