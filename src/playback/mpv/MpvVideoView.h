#pragma once

#include "playback/mpv/MpvHandle.h"
#include "playback/mpv/PictureOutput.h"

#include <QOpenGLWidget>

namespace tobimaru {

/// Draws the pictures of an mpv core (vo=libmpv) into a GL widget through mpv's render API.
/// Qt composes the whole window for each of its frames, so it is the pane's picture only where
/// a native child window cannot be had: Wayland compositors do not expose a window embedded
/// in another one under Qt 6.4, and it never gets a picture there.
///
/// The render context is made with the widget's GL context and freed when that context goes
/// or the widget does, whichever comes first; the core must outlive this widget.
class MpvVideoView final : public QOpenGLWidget, public PictureOutput {
    Q_OBJECT

public:
    MpvVideoView(mpv_handle* mpv, QWidget* parent);
    ~MpvVideoView() override;

    bool isRenderReady() const override { return m_render != nullptr; }
    bool hasRenderFailed() const override { return m_failed; }
    void setBlank(bool on) override;
    bool isBlank() const override { return m_blank; }
    bool takesGpuFrames() const override { return m_gpuFrames; }

Q_SIGNALS:
    /// The render context was made (ok) or could not be made (!ok).
    void renderInitialized(bool ok);

protected:
    void initializeGL() override;
    void paintGL() override;

private:
    void releaseRender();
    static void onMpvUpdate(void* self);

    mpv_handle* m_mpv = nullptr;
    MpvRenderContext m_render;
    QMetaObject::Connection m_contextWatch;
    bool m_failed = false;
    bool m_blank = true;
    bool m_gpuFrames = false;
};

} // namespace tobimaru
