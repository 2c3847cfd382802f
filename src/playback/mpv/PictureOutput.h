#pragma once

namespace tobimaru {

/// What the player pane asks of whatever draws mpv's pictures, whichever way it draws them.
class PictureOutput {
public:
    virtual ~PictureOutput() = default;
    /// True once the render context exists; files may be loaded from then on.
    virtual bool isRenderReady() const = 0;
    /// True when making the render context failed (mpv then has no picture output).
    virtual bool hasRenderFailed() const = 0;
    /// While blank the output shows black instead of mpv's last picture (no file is loaded).
    virtual void setBlank(bool on) = 0;
    virtual bool isBlank() const = 0;
    /// True when mpv may hand a hardware decoder's frames to this output as they are (a GL
    /// render context that knows the window system's display); otherwise decoded frames must
    /// come back to main memory first.
    virtual bool takesGpuFrames() const = 0;
};

} // namespace tobimaru
