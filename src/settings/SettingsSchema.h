#pragma once

#include <QString>

namespace tobimaru {

/// The window's outer size at a first start, when the settings file holds none, in twips. The
/// window takes it when it is made, before any settings are read.
inline constexpr int kFirstStartWidthTwips = 12180;
inline constexpr int kFirstStartHeightTwips = 9165;

class Prompts;
class SettingsHost;
struct RuntimeSettings;

/// Reads the settings file once at start-up: the window's menus, geometry, panes and quick
/// paths go to `host`, the run-time values to `out`. A missing file or key leaves the built-in
/// value. A stored value that cannot be used (no number where one is needed, out of range, no
/// Boolean word, a display size beyond the five) shows the error box and ends the load there:
/// what was read before stays applied, the rest keeps its built-in state.
void LoadSettings(const QString& iniPath, SettingsHost& host, Prompts& prompts, RuntimeSettings& out);

/// Writes the window's state back at exit: position (where the window system tells it) and
/// normal size, last folder, quick paths, player size, splitters and the menu marks. Without a
/// selected tree node the error box is shown after the window position and the later keys are
/// not written.
void SaveSettings(const QString& iniPath, SettingsHost& host, Prompts& prompts);

} // namespace tobimaru
