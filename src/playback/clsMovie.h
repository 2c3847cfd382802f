#pragma once

#include "base/ErrorTable.h"
#include "playback/PlayerTypes.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

namespace tobimaru {

class MediaPlayer;
class Prompts;
class ShellOpener;

/// The one way the program starts, stops, pauses, sizes and mutes the player pane. It decides
/// which files the pane gets at all: those on its fixed media extension list; any other file
/// with an extension goes to the desktop's default application.
class clsMovie final {
public:
    /// Puts the pane into its starting display state. `stopSlideTimer` disables the slideshow
    /// timer; every start and stop calls it first. The references must outlive this object.
    clsMovie(MediaPlayer& player, Prompts& prompts, ShellOpener& opener,
             std::function<void()> stopSlideTimer = {});

    /// The 29 extensions the pane plays (lower case, no dot).
    static QStringList MediaExtensions();
    /// True for an extension on that list, in any letter case, without the dot.
    static bool IsMediaExtension(const QString& extension);
    /// The pane's DisplaySize for a display size menu index (0 fit, 1 50%, 2 100%, 3 200%,
    /// anything else full screen).
    static PlayerSize DisplaySizeFor(SizeMenuIndex dspIndex);
    /// The display size menu's index for a component size: the inverse of DisplaySizeFor.
    static SizeMenuIndex DspIndexFor(PlayerSize displaySize);

    /// Starts `FileName` (a full path) whose extension column is `Kakuchousi`. A missing file
    /// gets the missing-file box; a file already loaded and not stopped is resumed where it
    /// stands; failures end in the player error box. `DspIndex` is not used.
    void PlayStart(const QString& FileName, const QString& Kakuchousi, SizeMenuIndex DspIndex);
    /// Stops and closes the file (nothing when already closed).
    void PlayStop();
    /// Pauses a playing file; nothing otherwise.
    void PlayPause();
    /// For a media extension: gives the pane the display size of the menu index.
    void PlayScreenChange(SizeMenuIndex DspIndex, const QString& FileName, const QString& Kakuchousi);
    /// For a media extension: mutes or unmutes the pane.
    void SetPlayMute(bool mute, const QString& FileName, const QString& Kakuchousi);
    /// 1 playing, 2 paused, 0 anything else and whenever the pane is hidden. Note the swap
    /// against the pane's own PlayState, where 1 is paused and 2 playing.
    MovieState GetPlayState() const;

private:
    void stopSlideTimer() const;
    void showPlayerError(const QString& extension, ErrorCode code);

    MediaPlayer& m_player;
    Prompts& m_prompts;
    ShellOpener& m_opener;
    std::function<void()> m_stopSlideTimer;
};

} // namespace tobimaru
