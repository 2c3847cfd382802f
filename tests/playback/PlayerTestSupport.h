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

/// Media for a test suite, made once in its SetUpTestSuite: ffmpeg is the slow part.
struct PlayerMedia {
    TempDir dir;
    QString clip;     ///< 0.5 s video with sound, 160x120
    QString longClip; ///< 2 s, for speed comparisons
    QString picture;  ///< a jpg, 64x48
    QString broken;   ///< text bytes named .avi

    PlayerMedia() {
        clip = MediaMaker::clip(dir.file(QStringLiteral("clip.avi")), 0.5);
        longClip = MediaMaker::clip(dir.file(QStringLiteral("long.avi")), 2.0);
        picture = MediaMaker::picture(dir.file(QStringLiteral("still.jpg")));
        broken =
            dir.write(QStringLiteral("broken.avi"), QByteArray("this is not a video file\n").repeated(400));
    }
};

/// Runs the event loop until `done` or the timeout; true when done.
template <typename Pred> bool WaitUntil(Pred done, int timeoutMs = 10000) {
    return QTest::qWaitFor(done, timeoutMs);
}

} // namespace tobimaru::test
