#pragma once

#include <QByteArray>
#include <QString>
#include <initializer_list>
#include <memory>

struct mpv_handle;
struct mpv_render_context;

namespace tobimaru {

struct MpvHandleDeleter {
    void operator()(mpv_handle* h) const;
};
struct MpvRenderContextDeleter {
    void operator()(mpv_render_context* ctx) const;
};

/// Owns an mpv core; destroying it terminates the core and waits for its threads.
using MpvHandle = std::unique_ptr<mpv_handle, MpvHandleDeleter>;
/// Owns a render context; must be reset with its GL context current and before the core goes.
using MpvRenderContext = std::unique_ptr<mpv_render_context, MpvRenderContextDeleter>;

/// Creates an uninitialised core. mpv refuses to start unless LC_NUMERIC is "C", which a
/// Japanese desktop locale is not, so this puts LC_NUMERIC back to "C" first (Qt has read the
/// locale by then). Returns an empty handle when mpv cannot be created.
MpvHandle CreateMpvHandle();

/// Sets an option or property from text; returns mpv's error code (0 on success).
int MpvSetText(mpv_handle* h, const char* name, const QByteArray& value);
/// Sets a flag property; returns mpv's error code.
int MpvSetFlag(mpv_handle* h, const char* name, bool on);
/// Sets a double property; returns mpv's error code.
int MpvSetDouble(mpv_handle* h, const char* name, double value);
/// Reads a double property; `fallback` when it is unavailable.
double MpvGetDouble(mpv_handle* h, const char* name, double fallback);
/// Runs a command synchronously; returns mpv's error code.
int MpvCommand(mpv_handle* h, std::initializer_list<QByteArray> args);
/// mpv's own short text for an error code.
QString MpvErrorText(int error);

} // namespace tobimaru
