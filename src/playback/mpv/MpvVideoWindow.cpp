#include "playback/mpv/MpvVideoWindow.h"

#include <QBackingStore>
#include <QExposeEvent>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QPainter>
#include <QPlatformSurfaceEvent>
#include <QtMath>
#include <mpv/client.h>
#include <mpv/render_gl.h>

namespace tobimaru {

MpvVideoWindow::MpvVideoWindow(mpv_handle* mpv, Backend backend)
    : m_mpv(mpv)
    , m_backend(backend) {
    setObjectName(QStringLiteral("videoWindow"));
    if (backend == Backend::OpenGL) {
        setSurfaceType(QSurface::OpenGLSurface);
    } else {
        setSurfaceType(QSurface::RasterSurface);
        m_store = std::make_unique<QBackingStore>(this);
    }
    setFlags(Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus);
}

bool MpvVideoWindow::IsSoftwareRenderer(const QByteArray& glRenderer) {
    // The names Mesa and others give their rasterizers that run on the processor.
    for (const char* name : {"llvmpipe", "softpipe", "Software Rasterizer", "swrast", "SWR", "Mesa X11",
                             "Apple Software Renderer", "Microsoft Basic Render"}) {
        if (glRenderer.contains(name))
            return true;
    }
    return false;
}

MpvVideoWindow::Backend MpvVideoWindow::ChooseBackend() {
    QOpenGLContext gl;
    QOffscreenSurface surface;
    if (!gl.create())
        return Backend::Software;
    surface.setFormat(gl.format());
    surface.create();
    if (!gl.makeCurrent(&surface))
        return Backend::Software;
    const auto* renderer = reinterpret_cast<const char*>(gl.functions()->glGetString(GL_RENDERER));
    const bool software = !renderer || IsSoftwareRenderer(QByteArray(renderer));
    gl.doneCurrent();
    return software ? Backend::Software : Backend::OpenGL;
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
    return m_backend == Backend::OpenGL ? makeGlRender() : makeSoftwareRender();
}

bool MpvVideoWindow::makeSoftwareRender() {
    int advanced = 0;
    mpv_render_param params[] = {
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_SW)},
        {MPV_RENDER_PARAM_ADVANCED_CONTROL, &advanced},
        {MPV_RENDER_PARAM_INVALID, nullptr},
    };
    mpv_render_context* ctx = nullptr;
    if (const int rc = mpv_render_context_create(&ctx, m_mpv, params); rc < 0 || !ctx) {
        qWarning("mpv: the render context cannot be made: %s", mpv_error_string(rc));
        return false;
    }
    m_render.reset(ctx);
    mpv_render_context_set_update_callback(ctx, &MpvVideoWindow::onMpvUpdate, this);
    return true;
}

bool MpvVideoWindow::makeGlRender() {
    m_gl = std::make_unique<QOpenGLContext>();
    m_gl->setFormat(requestedFormat());
    if (!m_gl->create() || !m_gl->makeCurrent(this)) {
        qWarning("mpv: no OpenGL context for the picture");
        m_gl.reset();
        return false;
    }
    m_render = CreateGlRenderContext(m_mpv, &m_gpuFrames);
    if (!m_render)
        return false; // the GL context stays for painting the window black
    mpv_render_context_set_update_callback(m_render.get(), &MpvVideoWindow::onMpvUpdate, this);
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
    if (m_backend == Backend::OpenGL)
        drawGl();
    else
        drawSoftware();
}

void MpvVideoWindow::drawSoftware() {
    const QSize logical = size();
    if (logical.isEmpty())
        return;
    if (!isExposed()) {
        // A frame mpv has ready is taken all the same: mpv waits for each frame to be taken.
        if (m_render) {
            int skip = 1;
            mpv_render_param params[] = {{MPV_RENDER_PARAM_SKIP_RENDERING, &skip},
                                         {MPV_RENDER_PARAM_INVALID, nullptr}};
            mpv_render_context_render(m_render.get(), params);
        }
        return;
    }
    if (m_store->size() != logical)
        m_store->resize(logical);
    const QRect all(QPoint(0, 0), logical);
    m_store->beginPaint(all);
    QPaintDevice* device = m_store->paintDevice();
    if (m_render && !m_blank) {
        // mpv writes straight into the backing store's image when it is 32-bit RGB, the usual
        // case; any other kind of device gets a copy.
        auto* image = device->devType() == QInternal::Image ? static_cast<QImage*>(device) : nullptr;
        const bool direct = image && image->format() == QImage::Format_RGB32;
        if (!direct) {
            const QSize pixels = (QSizeF(logical) * devicePixelRatio()).toSize();
            if (m_frame.size() != pixels)
                m_frame = QImage(pixels, QImage::Format_RGB32);
            image = &m_frame;
        }
        int frameSize[2] = {image->width(), image->height()};
        size_t stride = size_t(image->bytesPerLine());
        // Qt's 32-bit RGB is 0xffRRGGBB in a native integer: blue, green, red, pad in memory.
        char format[] = "bgr0";
        mpv_render_param params[] = {
            {MPV_RENDER_PARAM_SW_SIZE, frameSize}, {MPV_RENDER_PARAM_SW_FORMAT, format},
            {MPV_RENDER_PARAM_SW_STRIDE, &stride}, {MPV_RENDER_PARAM_SW_POINTER, image->bits()},
            {MPV_RENDER_PARAM_INVALID, nullptr},
        };
        mpv_render_context_render(m_render.get(), params);
        if (!direct) {
            QPainter p(device);
            p.drawImage(all, m_frame);
        }
    } else {
        QPainter p(device);
        p.fillRect(all, Qt::black);
    }
    m_store->endPaint();
    m_store->flush(all);
}

void MpvVideoWindow::drawGl() {
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
