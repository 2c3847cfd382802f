#pragma once

#include "playback/mpv/MpvHandle.h"

#include <QWindow>
#include <atomic>
#include <memory>

class QOpenGLContext;

namespace tobimaru {

/// Draws the pictures of an mpv core (vo=libmpv) through mpv's render API into a native window
/// of its own, embedded in the pane with QWidget::createWindowContainer. A frame redraws this
/// window alone: a GL widget instead makes Qt compose the whole main window for every frame.
///
/// The window takes no input: pointer events fall through to the widgets under it (so the
/// pane's double click, the gestures' right button and the application-wide filters see them
/// as before), and the keyboard focus stays with the widgets.
///
/// The render context is made on the first expose, with a GL context of this window's own, and
/// freed while that context is current when the window's surface goes or the window does; the
/// core must outlive this window.
class MpvVideoWindow final : public QWindow {
    Q_OBJECT

public:
    explicit MpvVideoWindow(mpv_handle* mpv);
    ~MpvVideoWindow() override;

    /// True once the render context exists; files may be loaded from then on.
    bool isRenderReady() const { return m_render != nullptr; }
    /// True when making the GL or render context failed (mpv then has no picture output).
    bool hasRenderFailed() const { return m_failed; }
    /// While blank the window shows black instead of mpv's last picture (no file is loaded).
    void setBlank(bool on);
    bool isBlank() const { return m_blank; }

Q_SIGNALS:
    /// The render context was made (ok) or could not be made (!ok).
    void renderInitialized(bool ok);

protected:
    void exposeEvent(QExposeEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

private:
    bool makeRender();
    void releaseRender();
    void draw();
    void onFrameReady();
    static void onMpvUpdate(void* self);

    mpv_handle* m_mpv = nullptr;
    std::unique_ptr<QOpenGLContext> m_gl;
    MpvRenderContext m_render;
    std::atomic<bool> m_updateQueued{false};
    bool m_failed = false;
    bool m_blank = true;
};

} // namespace tobimaru
