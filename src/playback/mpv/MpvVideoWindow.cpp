#include "playback/mpv/MpvVideoWindow.h"

#include <QExposeEvent>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QPlatformSurfaceEvent>
#include <QtMath>
#include <mpv/client.h>
#include <mpv/render_gl.h>

namespace tobimaru {

namespace {

void* GetProcAddress(void*, const char* name) {
    QOpenGLContext* ctx = QOpenGLContext::currentContext();
    return ctx ? reinterpret_cast<void*>(ctx->getProcAddress(QByteArray(name))) : nullptr;
}

} // namespace

MpvVideoWindow::MpvVideoWindow(mpv_handle* mpv)
    : m_mpv(mpv) {
    setObjectName(QStringLiteral("videoWindow"));
    setSurfaceType(QSurface::OpenGLSurface);
    setFlags(Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus);
}

MpvVideoWindow::~MpvVideoWindow() {
    // Taking the surface down here, while this class is still whole, lets the surface event
    // free the render context with the GL context current.
    destroy();
}

bool MpvVideoWindow::event(QEvent* event) {
    if (event->type() == QEvent::PlatformSurface &&
        static_cast<QPlatformSurfaceEvent*>(event)->surfaceEventType() ==
            QPlatformSurfaceEvent::SurfaceAboutToBeDestroyed)
        releaseRender();
    return QWindow::event(event);
}

bool MpvVideoWindow::makeRender() {
    m_gl = std::make_unique<QOpenGLContext>();
    m_gl->setFormat(requestedFormat());
    if (!m_gl->create() || !m_gl->makeCurrent(this)) {
        qWarning("mpv: no OpenGL context for the picture");
        m_gl.reset();
        return false;
    }
    mpv_opengl_init_params gl{&GetProcAddress, nullptr};
    int advanced = 0;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_OPENGL)},
        {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &gl},
        {MPV_RENDER_PARAM_ADVANCED_CONTROL, &advanced},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    mpv_render_context* ctx = nullptr;
    if (const int rc = mpv_render_context_create(&ctx, m_mpv, params); rc < 0 || !ctx) {
        qWarning("mpv: the render context cannot be made: %s", mpv_error_string(rc));
        // The context stays for painting the window black.
        return false;
    }
    m_render.reset(ctx);
    mpv_render_context_set_update_callback(ctx, &MpvVideoWindow::onMpvUpdate, this);
    return true;
}

void MpvVideoWindow::releaseRender() {
    if (!m_render)
        return;
    if (m_gl)
        m_gl->makeCurrent(this);
    // Freeing waits for mpv's video output to let go, so no update callback follows it.
    m_render.reset();
    if (m_gl)
        m_gl->doneCurrent();
}

void MpvVideoWindow::exposeEvent(QExposeEvent*) {
    if (!isExposed())
        return;
    if (!m_render && !m_failed && m_mpv) {
        const bool ok = makeRender();
        m_failed = !ok;
        Q_EMIT renderInitialized(ok);
    }
    draw();
}

void MpvVideoWindow::resizeEvent(QResizeEvent*) {
    // A paused picture must follow the new size too; a playing one would at its next frame.
    if (isExposed())
        draw();
}

void MpvVideoWindow::setBlank(bool on) {
    if (on == m_blank)
        return;
    m_blank = on;
    if (isExposed())
        draw();
}

void MpvVideoWindow::draw() {
    if (!m_gl || !m_gl->makeCurrent(this))
        return;
    const qreal dpr = devicePixelRatio();
    const int w = qRound(width() * dpr);
    const int h = qRound(height() * dpr);
    const bool shown = isExposed();
    if (m_render) {
        // A frame mpv has ready is taken even where it is not shown (blank, hidden): mpv waits
        // for each frame to be taken before it goes on with the next.
        mpv_opengl_fbo fbo{static_cast<int>(m_gl->defaultFramebufferObject()), w, h, 0};
        int flipY = 1;
        int skip = shown && !m_blank ? 0 : 1;
        mpv_render_param params[] = {
            {MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
            {MPV_RENDER_PARAM_FLIP_Y, &flipY},
            {MPV_RENDER_PARAM_SKIP_RENDERING, &skip},
            {MPV_RENDER_PARAM_INVALID, nullptr},
        };
        mpv_render_context_render(m_render.get(), params);
    }
    if (shown && (m_blank || !m_render)) {
        // mpv keeps drawing the last frame of a file it no longer has.
        QOpenGLFunctions* gl = m_gl->functions();
        gl->glViewport(0, 0, w, h);
        gl->glClearColor(0, 0, 0, 1);
        gl->glClear(GL_COLOR_BUFFER_BIT);
    }
    if (shown)
        m_gl->swapBuffers(this);
    if (m_render)
        mpv_render_context_report_swap(m_render.get());
}

void MpvVideoWindow::onFrameReady() {
    m_updateQueued = false;
    if (m_render && (mpv_render_context_update(m_render.get()) & MPV_RENDER_UPDATE_FRAME))
        draw();
}

void MpvVideoWindow::onMpvUpdate(void* self) {
    // Called on one of mpv's threads: only post, once until the GUI thread has drawn.
    auto* window = static_cast<MpvVideoWindow*>(self);
    if (!window->m_updateQueued.exchange(true))
        QMetaObject::invokeMethod(window, &MpvVideoWindow::onFrameReady, Qt::QueuedConnection);
}

} // namespace tobimaru
