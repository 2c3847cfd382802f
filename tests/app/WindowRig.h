#pragma once

#include "app/Form1.h"
#include "platform/FileManager.h"
#include "platform/SearchTool.h"
#include "platform/Trash.h"
#include "support/DesktopFakes.h"
#include "support/FakePrompts.h"
#include "support/TempDir.h"

#include <QByteArray>
#include <memory>

namespace tobimaru::test {

/// The real main window over a settings file of its own, with the prompts, the screen saver and
/// the desktop opener faked and a quiet player.
struct WindowRig {
    TempDir dir;
    FakePrompts prompts;
    FakeScreenSaver saver;
    RecordingOpener opener;
    DesktopTrash trash;
    DBusFileManager fileManager;
    DesktopSearchTool searchTool;
    std::unique_ptr<Form1> form;

    /// `ini`, when given, is the settings file the window starts with.
    explicit WindowRig(const QByteArray& ini = {});
    QString iniPath() const { return dir.file("TobimaruMe.ini"); }
    /// A stored value, "<none>" when there is none.
    QString read(const char* section, const char* key) const;
    /// Adds a tree node for `key` and selects it.
    void selectTreeNode(const QString& key);
    /// Loads, shows and activates the window, as the start-up does.
    void start();
};

} // namespace tobimaru::test
