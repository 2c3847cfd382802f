#pragma once

#include <QString>

namespace tobimaru::test {

/// Makes short media files with ffmpeg at test time, so nothing binary is committed.
/// Each returns the path written; an ffmpeg failure throws.
struct MediaMaker {
    /// A video clip with a test picture and a sine tone; the container follows the extension.
    static QString clip(const QString& path, double seconds = 0.5, int width = 160, int height = 120);
    /// A still picture (png, jpg, bmp, gif: by the extension).
    static QString picture(const QString& path, int width = 64, int height = 48);
    /// A short sound file (wav, mp3: by the extension).
    static QString sound(const QString& path, double seconds = 0.5);
    /// True when ffmpeg can be run.
    static bool available();
};

} // namespace tobimaru::test
