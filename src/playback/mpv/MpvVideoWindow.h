#pragma once

#include "playback/mpv/MpvHandle.h"
#include "playback/mpv/PictureOutput.h"

#include <QByteArray>
#include <QImage>
#include <QWindow>
#include <atomic>
#include <memory>

class QBackingStore;
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
/// The render context is made on the first expose and freed (with its GL context current) when
/// the window's surface goes or the window does; the core must outlive this window.
class MpvVideoWindow final : public QWindow, public PictureOutput {
    Q_OBJECT

public:
    enum class Backend {
        /// mpv renders with GL into the window, on a GL context of the window's own.
        OpenGL,
        /// mpv converts and scales on the processor into the window's backing store. Where GL
        /// is itself a software rasterizer this costs less than GL, which on such a machine
        /// does the same work through a general pipeline, and it needs no GL at all.
        Software,
    };

    MpvVideoWindow(mpv_handle* mpv, Backend backend);
    ~MpvVideoWindow() override;

    /// OpenGL where the machine's GL renders on a graphics processor, Software where GL is a
    /// software rasterizer or there is none. Makes and drops a GL context to ask.
    static Backend ChooseBackend();
    /// True for the GL_RENDERER names of software rasterizers.
    static bool IsSoftwareRenderer(const QByteArray& glRenderer);

    Backend backend() const { return m_backend; }
    void setBlank(bool on) override;

Q_SIGNALS:
    /// The render context was made (ok) or could not be made (!ok).
    void renderInitialized(bool ok);

protected:
    void exposeEvent(QExposeEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

private:
    bool makeRender();
    bool makeGlRender();
    bool makeSoftwareRender();
    void releaseRender();
    void draw();
    void drawGl();
    void drawSoftware();
    void onFrameReady();
    static void onMpvUpdate(void* self);

    mpv_handle* m_mpv = nullptr;
    Backend m_backend;
    std::unique_ptr<QOpenGLContext> m_gl;
    std::unique_ptr<QBackingStore> m_store;
    QImage m_frame; // the software picture where the backing store's own image cannot take it
    std::atomic<bool> m_updateQueued{false};
};

} // namespace tobimaru
