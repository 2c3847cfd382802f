#pragma once

#include "app/Form1.h"
#include "platform/FileManager.h"
#include "platform/SearchTool.h"
#include "platform/Trash.h"
#include "support/DesktopFakes.h"
#include "support/FakePrompts.h"
#include "support/TempDir.h"

#include <QByteArray>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>

namespace tobimaru::test {

/// The real main window over a settings file of its own, with the prompts, the screen saver and
/// the desktop opener faked and a quiet player.
struct WindowRig {
    TempDir dir;
    FakePrompts prompts;
    FakeScreenSaver saver;
    RecordingShell shell;
    DesktopTrash trash;
    DBusFileManager fileManager;
    DesktopSearchTool searchTool;
    /// The window opens in the current folder when no start folder is stored, and its keys run
    /// real file commands there: the rig makes its own empty folder the current one meanwhile.
    QString previousCurrent;
    std::unique_ptr<Form1> form;

    /// `ini`, when given, is the settings file the window starts with; `mediaControls` offers
    /// the player on the session bus, as the program does.
    explicit WindowRig(const QByteArray& ini = {}, bool mediaControls = false);
    /// Gives the process its current folder back.
    ~WindowRig();
    QString iniPath() const { return dir.file("TobimaruMe.ini"); }
    /// A stored value, "<none>" when there is none.
    QString read(const char* section, const char* key) const;
    /// Adds a tree node for `key` and selects it.
    void selectTreeNode(const QString& key);
    /// Loads, shows and activates the window, as the start-up does.
    void start();
};

/// Closes every pop-up menu as soon as it is open, so a test goes on past the menu's exec(), and
/// keeps the menus' names. `whileOpen` runs with each menu still open.
class PopupCloser final {
public:
    explicit PopupCloser(std::function<void()> whileOpen = {});
    QStringList closed;

private:
    std::function<void()> m_whileOpen;
    QTimer m_poll;
};

/// Answers every modal dialog as soon as it is open: `answer` gets the dialog and must close
/// it. Keeps the dialogs' names.
class ModalAnswerer final {
public:
    explicit ModalAnswerer(std::function<void(QWidget*)> answer);
    QStringList answered;

private:
    std::function<void(QWidget*)> m_answer;
    QTimer m_poll;
};

} // namespace tobimaru::test
