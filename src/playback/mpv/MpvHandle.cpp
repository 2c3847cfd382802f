#include "playback/mpv/MpvHandle.h"

#include <QGuiApplication>
#include <QOpenGLContext>
#include <clocale>
#include <mpv/client.h>
#include <mpv/render.h>
#include <mpv/render_gl.h>
#include <vector>

namespace tobimaru {

namespace {

void* GetProcAddress(void*, const char* name) {
    QOpenGLContext* ctx = QOpenGLContext::currentContext();
    return ctx ? reinterpret_cast<void*>(ctx->getProcAddress(QByteArray(name))) : nullptr;
}

// The X11 display of the application, null elsewhere. Qt 6.4 has no public way to the Wayland
// display, so a Wayland GL widget goes without one and mpv copies decoded frames back there.
void* X11Display() {
#if QT_CONFIG(xcb)
    if (auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr)
        return x11->display();
#endif
    return nullptr;
}

} // namespace

MpvRenderContext CreateGlRenderContext(mpv_handle* h, bool* gpuFrames) {
    mpv_opengl_init_params gl{&GetProcAddress, nullptr};
    int advanced = 0;
    void* display = X11Display();
    std::vector<mpv_render_param> params{
        {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_OPENGL)},
        {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &gl},
        {MPV_RENDER_PARAM_ADVANCED_CONTROL, &advanced},
    };
    if (display)
        params.push_back({MPV_RENDER_PARAM_X11_DISPLAY, display});
    params.push_back({MPV_RENDER_PARAM_INVALID, nullptr});
    if (gpuFrames)
        *gpuFrames = false;
    mpv_render_context* ctx = nullptr;
    if (const int rc = mpv_render_context_create(&ctx, h, params.data()); rc < 0 || !ctx) {
        qWarning("mpv: the render context cannot be made: %s", mpv_error_string(rc));
        return MpvRenderContext();
    }
    if (gpuFrames)
        *gpuFrames = display != nullptr;
    return MpvRenderContext(ctx);
}

void MpvHandleDeleter::operator()(mpv_handle* h) const {
    if (h)
        mpv_terminate_destroy(h);
}

void MpvRenderContextDeleter::operator()(mpv_render_context* ctx) const {
    if (ctx)
        mpv_render_context_free(ctx);
}

MpvHandle CreateMpvHandle() {
    std::setlocale(LC_NUMERIC, "C");
    return MpvHandle(mpv_create());
}

int MpvSetText(mpv_handle* h, const char* name, const QByteArray& value) {
    // mpv copies the value before the call returns.
    const char* text = value.constData();
    return mpv_set_property_async(h, 0, name, MPV_FORMAT_STRING, &text);
}

int MpvSetFlag(mpv_handle* h, const char* name, bool on) {
    int flag = on ? 1 : 0;
    return mpv_set_property_async(h, 0, name, MPV_FORMAT_FLAG, &flag);
}

int MpvSetDouble(mpv_handle* h, const char* name, double value) {
    return mpv_set_property_async(h, 0, name, MPV_FORMAT_DOUBLE, &value);
}

int MpvCommand(mpv_handle* h, std::initializer_list<QByteArray> args, uint64_t replyId) {
    std::vector<const char*> argv;
    argv.reserve(args.size() + 1);
    for (const QByteArray& a : args)
        argv.push_back(a.constData());
    argv.push_back(nullptr);
    return mpv_command_async(h, replyId, argv.data());
}

QString MpvErrorText(int error) {
    return QString::fromUtf8(mpv_error_string(error));
}

QString PlayerErrorText(int error) {
    const char* reason = nullptr;
    switch (error) {
    case MPV_ERROR_UNKNOWN_FORMAT:
        reason = "ファイルの形式を認識できません。";
        break;
    case MPV_ERROR_LOADING_FAILED:
        reason = "ファイルを開けませんでした。";
        break;
    case MPV_ERROR_NOTHING_TO_PLAY:
        reason = "ファイルに再生できる映像も音声もありません。";
        break;
    case MPV_ERROR_UNSUPPORTED:
    case MPV_ERROR_NOT_IMPLEMENTED:
        reason = "このファイルを再生するためのコーデックがありません。";
        break;
    case MPV_ERROR_AO_INIT_FAILED:
        reason = "音声を出力できません。";
        break;
    case MPV_ERROR_VO_INIT_FAILED:
        reason = "映像を表示できません。";
        break;
    case MPV_ERROR_UNINITIALIZED:
        reason = "プレイヤーを起動できません。";
        break;
    default:
        reason = "ファイルを再生できませんでした。";
        break;
    }
    return QString::fromUtf8(reason) + QStringLiteral("（") + MpvErrorText(error) + QStringLiteral("）");
}

} // namespace tobimaru
