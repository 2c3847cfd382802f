#include "playback/mpv/MpvVideoView.h"

#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QtMath>
#include <mpv/client.h>
#include <mpv/render_gl.h>

namespace tobimaru {

MpvVideoView::MpvVideoView(mpv_handle* mpv, QWidget* parent)
    : QOpenGLWidget(parent)
    , m_mpv(mpv) {
    setObjectName(QStringLiteral("videoView"));
}

MpvVideoView::~MpvVideoView() {
    // The base class destroys the GL context after this body: its aboutToBeDestroyed must not
    // reach a view that is half gone.
    QObject::disconnect(m_contextWatch);
    if (m_render) {
        makeCurrent();
        releaseRender();
        doneCurrent();
    }
}

void MpvVideoView::initializeGL() {
    if (m_render || !m_mpv)
        return;
    m_render = CreateGlRenderContext(m_mpv, &m_gpuFrames);
    if (!m_render) {
        m_failed = true;
        Q_EMIT renderInitialized(false);
        return;
    }
    mpv_render_context_set_update_callback(m_render.get(), &MpvVideoView::onMpvUpdate, this);
    // The GL context can go away without the widget (a new top-level window); the render
    // context must be freed while that GL context still exists and is current.
    m_contextWatch = connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, [this] {
        makeCurrent();
        releaseRender();
        doneCurrent();
    });
    connect(this, &QOpenGLWidget::frameSwapped, this, [this] {
        if (m_render)
            mpv_render_context_report_swap(m_render.get());
    });
    Q_EMIT renderInitialized(true);
}

void MpvVideoView::setBlank(bool on) {
    if (on == m_blank)
        return;
    m_blank = on;
    update();
}

void MpvVideoView::paintGL() {
    if (!m_render || m_blank) {
        // mpv keeps drawing the last frame of a file it no longer has.
        QOpenGLContext* ctx = QOpenGLContext::currentContext();
        if (QOpenGLFunctions* gl = ctx ? ctx->functions() : nullptr) {
            gl->glClearColor(0, 0, 0, 1);
            gl->glClear(GL_COLOR_BUFFER_BIT);
        }
        return;
    }
    const qreal dpr = devicePixelRatioF();
    mpv_opengl_fbo fbo{static_cast<int>(defaultFramebufferObject()), qRound(width() * dpr),
                       qRound(height() * dpr), 0};
    int flipY = 1;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
        {MPV_RENDER_PARAM_FLIP_Y, &flipY},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    mpv_render_context_render(m_render.get(), params);
}

void MpvVideoView::releaseRender() {
    // Freeing waits for mpv's video output to let go, so no update callback follows it.
    m_render.reset();
}

void MpvVideoView::onMpvUpdate(void* self) {
    // Called on one of mpv's threads: only post; the paint happens on the GUI thread.
    auto* view = static_cast<MpvVideoView*>(self);
    QMetaObject::invokeMethod(view, qOverload<>(&QWidget::update), Qt::QueuedConnection);
}

} // namespace tobimaru
