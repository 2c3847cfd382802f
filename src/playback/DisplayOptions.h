#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QTreeView;
class QWidget;

namespace tobimaru {

class FileListModel;
class MediaPlayer;
class Menus;
class SlideShow;
class StatusPanels;
class clsMovie;
struct RuntimeSettings;

/// What the display options work with; the callbacks may be empty, everything else is required
/// and must outlive the DisplayOptions.
struct DisplayOptionsParts {
    Menus* menus = nullptr;
    StatusPanels* status = nullptr;
    clsMovie* movie = nullptr;
    MediaPlayer* player = nullptr;
    SlideShow* slideShow = nullptr;
    RuntimeSettings* settings = nullptr;
    QTreeView* ListView1 = nullptr;
    FileListModel* model = nullptr;
    QWidget* window = nullptr;
    QString BaseCaption;
    /// The window full screen with the player pane alone (true), or back (false).
    std::function<void(bool)> setFullScreen;
    /// Shows the options dialog modally over the window.
    std::function<void()> showOptionsDialog;
};

/// The display size items "Dspsize(0)".."Dspsize(4)" and the options "Opt(1)".."Opt(6)" with
/// their status panels (4 size, 5 mute, 6 always on top), and full screen on the player's
/// request.
class DisplayOptions final : public QObject {
    Q_OBJECT

public:
    /// Throws Failure(ObjectNotSet) when a required part is missing. Connects the player's
    /// fullScreenRequested to `setFullScreen`.
    explicit DisplayOptions(const DisplayOptionsParts& parts, QObject* parent = nullptr);

    void setBaseCaption(const QString& caption) { m_parts.BaseCaption = caption; }

    /// A display size item (also F11 → 0, F12 → 4): checks it alone, panel 4 and
    /// DisplaySizeIndex follow; with rows listed the selected file gets the size at once.
    void DspsizeClick(int index);

    /// An option item after it flipped its own check (1 mute, 2 always on top, 3 slideshow,
    /// 4 nothing, 6 the options dialog). Mute and always on top reach the player and the window
    /// only while rows are listed; the next file takes the mute check anyway.
    void OptClick(int index);

    /// Panels 4, 5 and 6 and the window's band from the current checks (the load's last
    /// word after the settings are read).
    void ShowOptionStates();

    /// The checked display size item, -1 when none is.
    int checkedDisplaySize() const;

    /// Puts a window into the topmost band or back without moving or resizing it.
    static void SetWindowTopmost(QWidget* window, bool on);

private:
    void setSizePanel(int index);
    void setMutePanel(bool on);
    void setTopmostPanel(bool on);
    int selectedRow() const;

    DisplayOptionsParts m_parts;
};

} // namespace tobimaru
