#pragma once

#include "playback/mpv/MpvHandle.h"

#include <QOpenGLWidget>

namespace tobimaru {

/// Draws the pictures of an mpv core (vo=libmpv) into a GL widget through mpv's render API.
/// The render context is made with the widget's GL context and freed when that context goes
/// or the widget does, whichever comes first; the core must outlive this widget.
class MpvVideoView final : public QOpenGLWidget {
    Q_OBJECT

public:
    MpvVideoView(mpv_handle* mpv, QWidget* parent);
    ~MpvVideoView() override;

    /// True once the render context exists; files may be loaded from then on.
    bool isRenderReady() const { return m_render != nullptr; }
    /// True when making the render context failed (mpv then has no picture output).
    bool hasRenderFailed() const { return m_failed; }
    /// While blank the view shows black instead of mpv's last picture (no file is loaded).
    void setBlank(bool on);
    bool isBlank() const { return m_blank; }

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
};

} // namespace tobimaru
