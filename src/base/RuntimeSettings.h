#pragma once

#include <QString>
#include <cstdint>

namespace tobimaru {

/// The run-time values the settings load fills and the other subsystems read. The switches are
/// plain booleans: the file's check-box values (0, 1, 2 for a grey check) stay with the options
/// dialog, and everything here only ever asked "on or not".
struct RuntimeSettings {
    /// The file's "ScreenSaver" is 1; no other number switches the screen saver off.
    bool ScreenSaverOff = false;
    bool GesturesOn = false;
    QString StartFolder;
    QString StartDrive;
    QString NetworkShareRoot;
    int16_t QuickPathMode = 0;
    QString ListPattern; ///< set by the load: the stored list or the built-in one
    int16_t SlideSeconds = 0;
    int16_t SlideKind = 0;
    bool ShowHidden = false;
    bool ShowSystem = false;
    bool ShowReadOnly = false;
    bool ShowFolders = false;
};

} // namespace tobimaru
