// The player pane's side of mpv's event stream: which events belong to the file asked for
// last, and what each one becomes.
#include "playback/MediaPlayer.h"

#include "playback/PlayerControlBar.h"

#include <cmath>
#include <mpv/client.h>

namespace tobimaru {

void MediaPlayer::wakeup(void* self) {
    // Called on one of mpv's threads: only post, once until the GUI thread has drained.
    auto* player = static_cast<MediaPlayer*>(self);
    if (!player->m_drainQueued.exchange(true))
        QMetaObject::invokeMethod(player, &MediaPlayer::drainEvents, Qt::QueuedConnection);
}

void MediaPlayer::handleLoadReply(int error, const mpv_node& result) {
    m_loadTicket = 0;
    if (error < 0) {
        m_entry = 0;
        m_errorCode = error;
        m_errorDescription = MpvErrorText(error);
        setState(Closed);
        Q_EMIT Warning(1, m_errorCode, m_errorDescription);
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

bool MediaPlayer::isOurEntry(qint64 id) const {
    return m_entry == kEntryUnknown || (m_entry > 0 && id == m_entry);
}

void MediaPlayer::drainEvents() {
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
                Q_EMIT NewStream();
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
            handleProperty(p->name, p->format, p->data);
            break;
        }
        default:
            break;
        }
    }
}

void MediaPlayer::handleEndFile(int reason, int error) {
    switch (reason) {
    case MPV_END_FILE_REASON_EOF:
        m_entry = 0;
        setState(Stopped);
        Q_EMIT EndOfStream(0);
        break;
    case MPV_END_FILE_REASON_ERROR:
        m_entry = 0;
        m_errorCode = error;
        m_errorDescription = MpvErrorText(error);
        setState(Closed);
        Q_EMIT Warning(1, m_errorCode, m_errorDescription);
        break;
    case MPV_END_FILE_REASON_REDIRECT:
        // A playlist file: mpv goes on with its first entry, which becomes ours.
        m_followRedirect = true;
        break;
    default:
        break;
    }
}

void MediaPlayer::handleProperty(const char* name, int format, void* data) {
    const bool have = format != MPV_FORMAT_NONE && data;
    const QByteArray prop(name);
    if (prop == "time-pos") {
        m_position = have ? *static_cast<double*>(data) : 0;
        m_bar->setPosition(m_position);
    } else if (prop == "duration") {
        m_duration = have ? *static_cast<double*>(data) : 0;
        m_bar->setDuration(m_duration);
    } else if (prop == "dwidth" || prop == "dheight") {
        const int v = have ? int(*static_cast<int64_t*>(data)) : 0;
        if (prop == "dwidth")
            m_videoSize.setWidth(v);
        else
            m_videoSize.setHeight(v);
        layoutVideo();
        if (m_autoSize)
            updateGeometry();
    } else if (prop == "volume" && have) {
        m_volume = int(std::lround(*static_cast<double*>(data)));
        m_bar->setVolume(m_volume);
    } else if (prop == "mute" && have) {
        m_mute = *static_cast<int*>(data) != 0;
        m_bar->setMuted(m_mute);
    }
}

} // namespace tobimaru
