#pragma once

#include "platform/ScreenSaver.h"
#include "platform/ShellOpen.h"
#include "playback/clsMovie.h"

#include <QStringList>
#include <vector>

namespace tobimaru::test {

/// What would have gone to the desktop's default application.
class RecordingOpener final : public DesktopOpener {
public:
    bool openWithDefault(const QString& path) override {
        opened << path;
        return true;
    }
    QStringList opened;
};

/// What would have gone to the desktop's open action.
class RecordingShell final : public ShellOpener {
public:
    int ShellOpenFile(QWidget*, const QString& target, int showState) override {
        opened << target;
        shows.push_back(showState);
        return 0;
    }
    QStringList opened;
    std::vector<int> shows;
};

/// The desktop's screen saver switch, answering as told at once and keeping each call.
class FakeScreenSaver final : public ScreenSaver {
public:
    void setActive(bool active, QObject*, Reply reply) override {
        calls.push_back(active);
        if (reply)
            reply(works);
    }
    std::vector<bool> calls;
    bool works = true;
};

} // namespace tobimaru::test
