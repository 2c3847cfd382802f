#pragma once

#include "platform/ScreenSaver.h"
#include "platform/ShellOpen.h"

#include <QStringList>
#include <vector>

namespace tobimaru::test {

/// What would have gone to the desktop's open action, answering `result` each time.
class RecordingShell final : public ShellOpener {
public:
    int32_t ShellOpenFile(QWidget*, const QString& target, int showState) override {
        opened << target;
        shows.push_back(showState);
        return result;
    }
    QStringList opened;
    std::vector<int> shows;
    int32_t result = 0;
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
