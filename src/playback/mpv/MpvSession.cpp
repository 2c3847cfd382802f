#include "playback/mpv/MpvSession.h"

#include "base/FileNames.h"

#include <QDebug>
#include <QFile>
#include <cmath>
#include <mpv/client.h>

namespace tobimaru {

namespace {

// Reply ids of the observed properties: their events are told apart by these, not by name.
enum : quint64 { TimePos = 1, Duration, DWidth, DHeight, VolumeProp, MuteProp, HwdecProp, HwdecCurrentProp };

struct Observed {
    quint64 id;
    const char* name;
    mpv_format format;
};

constexpr Observed kObserved[] = {
    {TimePos, "time-pos", MPV_FORMAT_DOUBLE},  {Duration, "duration", MPV_FORMAT_DOUBLE},
    {DWidth, "dwidth", MPV_FORMAT_INT64},      {DHeight, "dheight", MPV_FORMAT_INT64},
    {VolumeProp, "volume", MPV_FORMAT_DOUBLE}, {MuteProp, "mute", MPV_FORMAT_FLAG},
    {HwdecProp, "hwdec", MPV_FORMAT_STRING},   {HwdecCurrentProp, "hwdec-current", MPV_FORMAT_STRING},
};

// Reply ids of file loads; each load gets the next one, so a late reply to a load that was
// replaced meanwhile is told apart.
constexpr quint64 kLoadReplyBase = 1000;

} // namespace

MpvSession::MpvSession(const Options& options, QObject* parent)
    : QObject(parent) {
    m_mpv = CreateMpvHandle();
    if (m_mpv)
        start(options);
    else
        qWarning("mpv: the player core cannot be created");
}

MpvSession::~MpvSession() {
    if (m_mpv)
        mpv_set_wakeup_callback(m_mpv.get(), nullptr, nullptr);
}

void MpvSession::setOption(const QByteArray& name, const QByteArray& value) {
    if (const int rc = mpv_set_option_string(m_mpv.get(), name.constData(), value.constData()); rc < 0)
        qWarning("mpv: option %s=%s refused: %s", name.constData(), value.constData(), mpv_error_string(rc));
}

int MpvSession::checked(int rc, const char* what) const {
    if (rc < 0)
        qWarning("mpv: %s: %s", what, mpv_error_string(rc));
    return rc;
}

void MpvSession::start(const Options& options) {
    const QList<QPair<QByteArray, QByteArray>> fixed{
        {"vo", options.videoOut ? "libmpv" : "null"},
        {"idle", "yes"},
        {"keep-open", "no"},
        {"audio-fallback-to-null", "yes"},
        // Pictures stay until the next file; the slideshow decides when that is.
        {"image-display-duration", "inf"},
        // A hardware decoder where one answers, else software as before. Copy-back works with
        // every output (no picture, the software renderer); the GL outputs switch to direct
        // frames once their render context knows the display (setHardwareDecoding).
        {"hwdec", kCopyBackDecoding},
        // Rendering happens on the GUI thread: never let mpv hold it waiting for a frame time.
        {"video-timing-offset", "0"},
        {"audio-pitch-correction", "yes"},
        {"input-default-bindings", "no"},
        {"input-vo-keyboard", "no"},
        {"osc", "no"},
        {"load-scripts", "no"},
        {"ytdl", "no"},
        {"terminal", "no"},
        {"volume-max", "100"},
    };
    for (const auto& [name, value] : fixed)
        setOption(name, value);
    if (!options.audioOutput.isEmpty())
        setOption("ao", options.audioOutput);
    for (const auto& [name, value] : options.extra)
        setOption(name, value);

    if (checked(mpv_initialize(m_mpv.get()), "the player core does not start") < 0) {
        m_mpv.reset();
        return;
    }
    for (const Observed& o : kObserved)
        checked(mpv_observe_property(m_mpv.get(), o.id, o.name, o.format), o.name);
    mpv_set_wakeup_callback(m_mpv.get(), &MpvSession::wakeup, this);
}

int MpvSession::load(const QString& path, bool paused) {
    if (!m_mpv)
        return MPV_ERROR_UNINITIALIZED;
    m_followRedirect = false;
    setPause(paused);
    const quint64 ticket = kLoadReplyBase + ++m_loadSerial;
    const int rc =
        checked(MpvCommand(m_mpv.get(), {"loadfile", EncodeFileName(path), "replace"}, ticket), "loadfile");
    if (rc < 0) {
        m_entry = 0;
        m_loadTicket = 0;
        return rc;
    }
    // Until mpv answers, every file event belongs to what was there before.
    m_entry = kEntryPending;
    m_loadTicket = ticket;
    return 0;
}

void MpvSession::close() {
    if (m_entry != 0 && m_mpv)
        checked(MpvCommand(m_mpv.get(), {"stop"}), "stop");
    m_entry = 0;
    m_loadTicket = 0;
}

int MpvSession::setPause(bool on) {
    return m_mpv ? checked(MpvSetFlag(m_mpv.get(), "pause", on), "pause") : MPV_ERROR_UNINITIALIZED;
}

int MpvSession::seek(double seconds, bool exact) {
    if (!m_mpv)
        return MPV_ERROR_UNINITIALIZED;
    return checked(MpvCommand(m_mpv.get(), {"seek", QByteArray::number(std::max(0.0, seconds), 'f', 3),
                                            exact ? "absolute+exact" : "absolute+keyframes"}),
                   "seek");
}

int MpvSession::rewind() {
    return m_mpv ? checked(MpvCommand(m_mpv.get(), {"seek", "0", "absolute"}), "seek")
                 : MPV_ERROR_UNINITIALIZED;
}

int MpvSession::setSpeed(double rate) {
    return m_mpv ? checked(MpvSetDouble(m_mpv.get(), "speed", rate), "speed") : MPV_ERROR_UNINITIALIZED;
}

int MpvSession::setAudioFilter(const QByteArray& chain) {
    return m_mpv ? checked(MpvSetText(m_mpv.get(), "af", chain), "af") : MPV_ERROR_UNINITIALIZED;
}

int MpvSession::setMute(bool on) {
    return m_mpv ? checked(MpvSetFlag(m_mpv.get(), "mute", on), "mute") : MPV_ERROR_UNINITIALIZED;
}

int MpvSession::setVolume(double volume) {
    return m_mpv ? checked(MpvSetDouble(m_mpv.get(), "volume", volume), "volume") : MPV_ERROR_UNINITIALIZED;
}

int MpvSession::setHardwareDecoding(const QByteArray& mode) {
    return m_mpv ? checked(MpvSetText(m_mpv.get(), "hwdec", mode), "hwdec") : MPV_ERROR_UNINITIALIZED;
}

int MpvSession::dropVideoOutput() {
    return m_mpv ? checked(MpvSetText(m_mpv.get(), "vo", "null"), "vo") : MPV_ERROR_UNINITIALIZED;
}

void MpvSession::wakeup(void* self) {
    // Called on one of mpv's threads: only post, once until the GUI thread has drained.
    auto* session = static_cast<MpvSession*>(self);
    if (!session->m_drainQueued.exchange(true))
        QMetaObject::invokeMethod(session, &MpvSession::drainEvents, Qt::QueuedConnection);
}

void MpvSession::handleLoadReply(int error, const mpv_node& result) {
    m_loadTicket = 0;
    if (error < 0) {
        m_entry = 0;
        Q_EMIT loadFailed(error);
        return;
    }
    m_entry = kEntryUnknown; // an mpv too old to say which number it gave the file
    if (result.format == MPV_FORMAT_NODE_MAP) {
        for (int i = 0; i < result.u.list->num; ++i) {
            const mpv_node& v = result.u.list->values[i];
            if (qstrcmp(result.u.list->keys[i], "playlist_entry_id") == 0 && v.format == MPV_FORMAT_INT64)
                m_entry = v.u.int64;
        }
    }
}

bool MpvSession::isOurEntry(qint64 id) const {
    return m_entry == kEntryUnknown || (m_entry > 0 && id == m_entry);
}

void MpvSession::drainEvents() {
    m_drainQueued = false;
    while (m_mpv) {
        mpv_event* e = mpv_wait_event(m_mpv.get(), 0);
        if (e->event_id == MPV_EVENT_NONE)
            break;
        // Copy what is needed first: a handler may open a modal box whose event loop drains
        // again, and the event is only valid until the next wait.
        switch (e->event_id) {
        case MPV_EVENT_COMMAND_REPLY:
            if (m_loadTicket != 0 && e->reply_userdata == m_loadTicket && m_entry == kEntryPending) {
                const mpv_node result = static_cast<mpv_event_command*>(e->data)->result;
                handleLoadReply(e->error, result);
            }
            break;
        case MPV_EVENT_START_FILE: {
            const qint64 id = static_cast<mpv_event_start_file*>(e->data)->playlist_entry_id;
            if (m_followRedirect) {
                m_followRedirect = false;
                m_entry = id;
            }
            m_activeEntry = id;
            break;
        }
        case MPV_EVENT_FILE_LOADED:
            if (isOurEntry(m_activeEntry))
                Q_EMIT fileLoaded();
            break;
        case MPV_EVENT_PLAYBACK_RESTART:
            if (isOurEntry(m_activeEntry))
                Q_EMIT playbackRestarted();
            break;
        case MPV_EVENT_END_FILE: {
            const auto* end = static_cast<mpv_event_end_file*>(e->data);
            if (isOurEntry(end->playlist_entry_id))
                handleEndFile(end->reason, end->error);
            break;
        }
        case MPV_EVENT_PROPERTY_CHANGE: {
            const auto* p = static_cast<mpv_event_property*>(e->data);
            handleProperty(e->reply_userdata, p->format, p->data);
            break;
        }
        default:
            break;
        }
    }
}

void MpvSession::handleEndFile(int reason, int error) {
    switch (reason) {
    case MPV_END_FILE_REASON_EOF:
        m_entry = 0;
        Q_EMIT endOfFile();
        break;
    case MPV_END_FILE_REASON_ERROR:
        m_entry = 0;
        Q_EMIT fileFailed(error);
        break;
    case MPV_END_FILE_REASON_REDIRECT:
        // A playlist file: mpv goes on with its first entry, which becomes ours.
        m_followRedirect = true;
        break;
    default:
        break;
    }
}

void MpvSession::handleProperty(quint64 id, int format, void* data) {
    const bool have = format != MPV_FORMAT_NONE && data;
    switch (id) {
    case TimePos:
        Q_EMIT positionChanged(have ? *static_cast<double*>(data) : 0);
        break;
    case Duration:
        Q_EMIT durationChanged(have ? *static_cast<double*>(data) : 0);
        break;
    case DWidth:
    case DHeight: {
        const int v = have ? int(*static_cast<int64_t*>(data)) : 0;
        if (id == DWidth)
            m_videoSize.setWidth(v);
        else
            m_videoSize.setHeight(v);
        Q_EMIT videoSizeChanged(m_videoSize);
        break;
    }
    case VolumeProp:
        if (have)
            Q_EMIT volumeChanged(*static_cast<double*>(data));
        break;
    case MuteProp:
        if (have)
            Q_EMIT muteChanged(*static_cast<int*>(data) != 0);
        break;
    case HwdecProp:
        Q_EMIT hardwareDecodingChanged(have ? QString::fromUtf8(*static_cast<char**>(data)) : QString());
        break;
    case HwdecCurrentProp:
        // Unavailable while no video decoder runs (between files, sound only).
        Q_EMIT hardwareDecoderChanged(have ? QString::fromUtf8(*static_cast<char**>(data)) : QString());
        break;
    default:
        break;
    }
}

} // namespace tobimaru
