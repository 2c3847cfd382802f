#include "platform/WaveVolume.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>
#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/mainloop.h>
#include <pulse/volume.h>
#include <string>

namespace tobimaru {

namespace {

using Clock = std::chrono::steady_clock;

// A dead or wedged sound server must not hold up the start or the end of the program.
constexpr std::chrono::milliseconds kTimeout{1000};
constexpr uint32_t kWaveMax = 0xFFFF;

struct MainloopFree {
    void operator()(pa_mainloop* m) const { pa_mainloop_free(m); }
};
struct ContextRelease {
    void operator()(pa_context* c) const {
        pa_context_disconnect(c);
        pa_context_unref(c);
    }
};
struct OperationUnref {
    void operator()(pa_operation* o) const { pa_operation_unref(o); }
};

struct SinkVolume {
    std::string name;
    pa_cvolume volume{};
    pa_channel_map map{};
};

/// One short-lived connection to the sound server, run on the caller's thread with a deadline.
class PulseSession final {
public:
    PulseSession()
        : m_deadline(Clock::now() + kTimeout) {
        m_loop.reset(pa_mainloop_new());
        if (!m_loop)
            return;
        m_context.reset(pa_context_new(pa_mainloop_get_api(m_loop.get()), "TobimaruMe"));
        // Never start a sound server just to read its volume.
        if (!m_context || pa_context_connect(m_context.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
            m_context.reset();
            return;
        }
        const bool settled = runUntil([this] {
            const pa_context_state_t s = pa_context_get_state(m_context.get());
            return s == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(s);
        });
        m_ready = settled && pa_context_get_state(m_context.get()) == PA_CONTEXT_READY;
    }

    ~PulseSession() {
        // The context goes before the loop it runs on.
        m_context.reset();
        m_loop.reset();
    }

    std::optional<SinkVolume> defaultSink() {
        if (!m_ready)
            return std::nullopt;
        struct Reply {
            std::optional<SinkVolume> sink;
        } reply;
        auto cb = [](pa_context*, const pa_sink_info* info, int eol, void* data) {
            auto* r = static_cast<Reply*>(data);
            if (eol == 0 && info && !r->sink)
                r->sink = SinkVolume{info->name ? info->name : "", info->volume, info->channel_map};
        };
        if (!wait(pa_context_get_sink_info_by_name(m_context.get(), "@DEFAULT_SINK@", cb, &reply)))
            return std::nullopt;
        return reply.sink;
    }

    bool setVolume(const SinkVolume& sink) {
        if (!m_ready)
            return false;
        int ok = 0;
        auto cb = [](pa_context*, int success, void* data) { *static_cast<int*>(data) = success; };
        return wait(pa_context_set_sink_volume_by_name(m_context.get(), sink.name.c_str(), &sink.volume, cb,
                                                       &ok)) &&
               ok != 0;
    }

private:
    template <typename Done> bool runUntil(Done done) {
        while (!done()) {
            const auto left =
                std::chrono::duration_cast<std::chrono::microseconds>(m_deadline - Clock::now());
            if (left.count() <= 0)
                return false;
            if (pa_mainloop_prepare(m_loop.get(), int(left.count())) < 0 ||
                pa_mainloop_poll(m_loop.get()) < 0 || pa_mainloop_dispatch(m_loop.get()) < 0)
                return false;
        }
        return true;
    }

    bool wait(pa_operation* raw) {
        if (!raw)
            return false;
        std::unique_ptr<pa_operation, OperationUnref> op(raw);
        const bool done = runUntil([&] { return pa_operation_get_state(op.get()) != PA_OPERATION_RUNNING; });
        if (!done)
            pa_operation_cancel(op.get());
        return done && pa_operation_get_state(op.get()) == PA_OPERATION_DONE;
    }

    Clock::time_point m_deadline;
    std::unique_ptr<pa_mainloop, MainloopFree> m_loop;
    std::unique_ptr<pa_context, ContextRelease> m_context;
    bool m_ready = false;
};

bool HasStereo(const pa_channel_map& map) {
    return pa_channel_map_has_position(&map, PA_CHANNEL_POSITION_FRONT_LEFT) &&
           pa_channel_map_has_position(&map, PA_CHANNEL_POSITION_FRONT_RIGHT);
}

} // namespace

// One step of the server's scale is one step of the packed value, so a volume read at start
// comes back exactly at exit; only the server's 100% (0x10000) has to share 0xFFFF.
uint32_t PackWaveVolume(uint32_t leftServer, uint32_t rightServer) {
    auto toWave = [](uint32_t v) { return std::min<uint32_t>(v, kWaveMax); };
    return toWave(leftServer) | (toWave(rightServer) << 16);
}

std::pair<uint32_t, uint32_t> UnpackWaveVolume(uint32_t packed) {
    auto toServer = [](uint32_t w) { return w >= kWaveMax ? uint32_t(PA_VOLUME_NORM) : w; };
    return {toServer(packed & 0xFFFF), toServer(packed >> 16)};
}

uint32_t GetWaveVolume(bool* found) {
    if (found)
        *found = false;
    PulseSession session;
    const std::optional<SinkVolume> sink = session.defaultSink();
    if (!sink || sink->volume.channels == 0)
        return 0;
    pa_volume_t left = pa_cvolume_avg(&sink->volume);
    pa_volume_t right = left;
    if (HasStereo(sink->map)) {
        left = pa_cvolume_get_position(&sink->volume, &sink->map, PA_CHANNEL_POSITION_FRONT_LEFT);
        right = pa_cvolume_get_position(&sink->volume, &sink->map, PA_CHANNEL_POSITION_FRONT_RIGHT);
    }
    if (found)
        *found = true;
    return PackWaveVolume(left, right);
}

bool SetWaveVolume(uint32_t volume) {
    PulseSession session;
    std::optional<SinkVolume> sink = session.defaultSink();
    if (!sink || sink->volume.channels == 0)
        return false;
    const auto [left, right] = UnpackWaveVolume(volume);
    const pa_volume_t louder = std::max(left, right);
    // Channels other than the front pair (centre, rear, a mono output) follow the louder side.
    pa_cvolume_set(&sink->volume, sink->volume.channels, louder);
    if (HasStereo(sink->map)) {
        pa_cvolume_set_position(&sink->volume, &sink->map, PA_CHANNEL_POSITION_FRONT_LEFT, left);
        pa_cvolume_set_position(&sink->volume, &sink->map, PA_CHANNEL_POSITION_FRONT_RIGHT, right);
    }
    return session.setVolume(*sink);
}

} // namespace tobimaru
