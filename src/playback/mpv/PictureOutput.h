#pragma once

#include "playback/mpv/MpvHandle.h"

namespace tobimaru {

/// What the player pane asks of whatever draws mpv's pictures, whichever way it draws them, and
/// the state every such output keeps.
class PictureOutput {
public:
    virtual ~PictureOutput() = default;
    /// True once the render context exists; files may be loaded from then on.
    bool isRenderReady() const { return m_render != nullptr; }
    /// True when making the render context failed (mpv then has no picture output).
    bool hasRenderFailed() const { return m_failed; }
    /// While blank the output shows black instead of mpv's last picture (no file is loaded).
    virtual void setBlank(bool on) = 0;
    bool isBlank() const { return m_blank; }
    /// True when mpv may hand a hardware decoder's frames to this output as they are (a GL
    /// render context that knows the window system's display); otherwise decoded frames must
    /// come back to main memory first.
    bool takesGpuFrames() const { return m_gpuFrames; }

protected:
    /// Freed by the output itself, with its GL context current, before its own members go: this
    /// base outlives them.
    MpvRenderContext m_render;
    bool m_failed = false;
    bool m_blank = true;
    bool m_gpuFrames = false;
};

} // namespace tobimaru
