#pragma once

#include "playback/MediaPlayer.h"
#include "support/MediaMaker.h"
#include "support/TempDir.h"

#include <QElapsedTimer>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace tobimaru::test {

/// A pane with real libmpv that shows and sounds nothing.
inline PlayerOptions QuietPlayer() {
    PlayerOptions o;
    o.output = PlayerOutput::NoVideo;
    o.audioOutput = "null";
    return o;
}

/// Media for a test suite, each made with ffmpeg the first time a test asks for it: ffmpeg
/// is the slow part, and ctest runs every test in a process of its own.
class PlayerMedia {
public:
    TempDir dir;

    /// 0.5 s video with sound, 160x120.
    const QString& clip() {
        return make(m_clip, [this] { return MediaMaker::clip(dir.file("clip.avi"), 0.5); });
    }
    /// 2 s, for speed comparisons.
    const QString& longClip() {
        return make(m_longClip, [this] { return MediaMaker::clip(dir.file("long.avi"), 2.0); });
    }
    /// A jpg, 64x48.
    const QString& picture() {
        return make(m_picture, [this] { return MediaMaker::picture(dir.file("still.jpg")); });
    }
    /// Text bytes named .avi.
    const QString& broken() {
        return make(m_broken,
                    [this] { return dir.write("broken.avi", QByteArray("not a video\n").repeated(800)); });
    }

private:
    template <typename Make> static const QString& make(QString& slot, Make m) {
        if (slot.isEmpty())
            slot = m();
        return slot;
    }
    QString m_clip, m_longClip, m_picture, m_broken;
};

/// Runs the event loop until `done` or the timeout; true when done.
template <typename Pred> bool WaitUntil(Pred done, int timeoutMs = 10000) {
    return QTest::qWaitFor(done, timeoutMs);
}

} // namespace tobimaru::test
