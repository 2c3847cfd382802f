#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
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
/// A render context that draws with the GL context current on this thread; empty, with mpv's
/// reason logged, when mpv refuses. Where the window system's display can be had (X11) it goes
/// with the context, which lets mpv hand a hardware decoder's frames to GL without copying
/// them; `gpuFrames` (may be null) tells whether it did.
MpvRenderContext CreateGlRenderContext(mpv_handle* h, bool* gpuFrames = nullptr);

// Every request below is queued for mpv's core and returns at once: a synchronous call waits
// for the core, which can be held for as long as a file on a dead network mount or a wedged
// sound output holds it, and the GUI thread must never wait for that. mpv runs the requests
// from one queue in the order they were made; their replies come as events.

/// Queues setting a property from text; returns 0, or mpv's error when it cannot be queued.
int MpvSetText(mpv_handle* h, const char* name, const QByteArray& value);
/// Queues setting a flag property; returns 0 or mpv's error.
int MpvSetFlag(mpv_handle* h, const char* name, bool on);
/// Queues setting a double property; returns 0 or mpv's error.
int MpvSetDouble(mpv_handle* h, const char* name, double value);
/// Queues a command whose reply event carries `replyId` (0 for one nobody waits for);
/// returns 0 or mpv's error when it cannot be queued.
int MpvCommand(mpv_handle* h, std::initializer_list<QByteArray> args, uint64_t replyId = 0);
/// mpv's own short text for an error code.
QString MpvErrorText(int error);
/// What the user reads when a file cannot be played: our Japanese reason for mpv's error code,
/// then mpv's own text in parentheses for the detail.
QString PlayerErrorText(int error);

} // namespace tobimaru
