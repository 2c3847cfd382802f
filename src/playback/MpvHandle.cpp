#include "playback/MpvHandle.h"

#include <clocale>
#include <mpv/client.h>
#include <mpv/render.h>
#include <vector>

namespace tobimaru {

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
    return mpv_set_property_string(h, name, value.constData());
}

int MpvSetFlag(mpv_handle* h, const char* name, bool on) {
    int flag = on ? 1 : 0;
    return mpv_set_property(h, name, MPV_FORMAT_FLAG, &flag);
}

int MpvSetDouble(mpv_handle* h, const char* name, double value) {
    return mpv_set_property(h, name, MPV_FORMAT_DOUBLE, &value);
}

double MpvGetDouble(mpv_handle* h, const char* name, double fallback) {
    double value = 0;
    if (mpv_get_property(h, name, MPV_FORMAT_DOUBLE, &value) < 0)
        return fallback;
    return value;
}

int MpvCommand(mpv_handle* h, std::initializer_list<QByteArray> args) {
    std::vector<const char*> argv;
    argv.reserve(args.size() + 1);
    for (const QByteArray& a : args)
        argv.push_back(a.constData());
    argv.push_back(nullptr);
    return mpv_command(h, argv.data());
}

QString MpvErrorText(int error) {
    return QString::fromUtf8(mpv_error_string(error));
}

} // namespace tobimaru
