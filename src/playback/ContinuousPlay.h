#pragma once

#include "playback/PlaybackParts.h"
#include "playback/PlayerTypes.h"

#include <QObject>
#include <QString>

namespace tobimaru {

class FileIcons;
class Prompts;

/// Marks a folder that files were played from (bold and red in the folder tree, until the tree
/// is built again).
class PlayedFolderMarker {
public:
    virtual ~PlayedFolderMarker() = default;
    /// `folder` is the folder of the file that just opened.
    virtual void MarkPlayedFolder(const QString& folder) = 0;
};

/// Takes a folder into the quick paths (an entry already listed stays where it is).
class QuickPathRecorder {
public:
    virtual ~QuickPathRecorder() = default;
    virtual void RecordQuickPath(const QString& folder) = 0;
    /// The chosen recording rule 0..2, -1 while none is chosen.
    virtual int QuickPathMode() const = 0;
};

/// What continuous play works with. Everything but `folderMarker` and `quickPaths` is
/// required; all must outlive the ContinuousPlay.
struct ContinuousPlayParts : PlaybackParts {
    FileIcons* icons = nullptr;
    PlayedFolderMarker* folderMarker = nullptr;
    QuickPathRecorder* quickPaths = nullptr;
    Prompts* prompts = nullptr;
};

/// The file list as a playlist: starting rows, stepping down or up and wrapping at the ends,
/// repeat, the marks on the rows, and the answers to the player's events. Connects itself to
/// the player's EndOfStream, PlayStateChange, NewStream, Warning and KeyDown and to the
/// slideshow timer.
class ContinuousPlay final : public QObject {
    Q_OBJECT

public:
    /// Throws Failure(ObjectNotSet) when a required part is missing. Adds the row marks to the
    /// shared image list.
    explicit ContinuousPlay(const ContinuousPlayParts& parts, QObject* parent = nullptr);

    /// Key of the row started last; "" before the first start.
    const QString& PlayingPath() const { return m_playingPath; }
    /// While false an end of file is ignored.
    bool AutoPlayArmed() const { return m_autoPlayArmed; }
    void setAutoPlayArmed(bool on) { m_autoPlayArmed = on; }
    bool LoopOn() const;
    /// Continuous play runs up the list.
    bool ReverseOrder() const;
    void setReverseOrder(bool on);
    /// A file played to its end since the last recording of the "watched to the end" rule.
    bool WatchedToEnd() const { return m_watchedToEnd; }

    /// The flags of a freshly loaded window: no repeat, down the list, armed.
    void ResetRunFlags();

    /// Starts a row: the next one down or up (both wrapping), or the selected row. Nothing for an empty list
    /// or a selected folder row. In file view mode the selected row starts again without stepping or marks.
    /// Failures end in the error box, with the list's multi-selection left off until the next start that
    /// succeeds.
    void SetPlaybotton(PlayStep Flag);

    /// Flips repeat; from the F9 key the toolbar's "リピート再生" follows too (not after a click
    /// on the button or the menu item). On stops the slideshow timer, off lets it run.
    void ToggleRepeat(RepeatFrom FromKey);

    /// The end of a file (also the slideshow's tick): when armed, the row is restarted under
    /// repeat, or marked as played to its end and the next row in the current direction
    /// starts. Never reports a failure.
    void EndOfFile(long result = 0);

    /// Play or pause: the slideshow timer stops, then a playing file pauses and anything else
    /// starts through SetPlaybotton(`flag`) (Selected for keys, menus and toolbar; Gesture for the gesture).
    void PlayOrPause(PlayStep flag = PlayStep::Selected);
    /// The stop commands, and every command that changes or relists the folder: continuous
    /// play is disarmed and the player stopped.
    void StopPlay();

    /// The list's current row, -1 when there is none.
    int selectedRow() const;
    /// Whether the list has rows.
    bool hasRows() const;

    /// Player events (connected by the constructor; public so other sources can share them).
    void OnPlayStateChange(PlayerState oldState, PlayerState newState);
    void OnNewStream();
    void OnWarning(long type, long param, const QString& description);
    void OnPlayerKeyDown(int key, int shift);
    /// Timer1: acts only with the slideshow on and repeat off.
    void SlideTimerTick();

private:
    void startRow(PlayStep Flag);
    void selectRow(int row);
    void markStarted(int row);
    int quickPathMode() const;

    ContinuousPlayParts m_parts;
    QString m_playingPath;
    bool m_autoPlayArmed = true;
    bool m_watchedToEnd = false;
};

} // namespace tobimaru
