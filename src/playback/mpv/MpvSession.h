#pragma once

#include "playback/mpv/MpvHandle.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPair>
#include <QSize>
#include <QString>
#include <atomic>

struct mpv_node;

namespace tobimaru {

/// One mpv core and its event stream, apart from any widget: the options it starts with, the
/// requests (all queued, none waits for the core), and the events, of which only those of the
/// file asked for last come out. Lives on the GUI thread.
class MpvSession final : public QObject {
    Q_OBJECT

public:
    /// Hardware decoding with the frames copied back to main memory: what every output can
    /// take, and software decoding where no hardware decoder answers.
    static constexpr const char* kCopyBackDecoding = "auto-copy-safe";
    /// Hardware decoding with the frames handed to GL as they are, for a GL output that knows
    /// the window system's display.
    static constexpr const char* kDirectDecoding = "auto-safe";

    struct Options {
        /// The picture goes to a render context of ours (vo=libmpv), else nowhere (vo=null).
        bool videoOut = false;
        /// mpv's audio output; empty for mpv's choice, "null" for none.
        QByteArray audioOutput;
        /// Further options set before the core starts (name, value).
        QList<QPair<QByteArray, QByteArray>> extra;
    };

    /// Creates and starts the core. An option mpv refuses is written to the log with mpv's
    /// error text and the core starts without it; a core that cannot start leaves the session
    /// not ready.
    explicit MpvSession(const Options& options, QObject* parent = nullptr);
    ~MpvSession() override;

    bool isReady() const { return m_mpv != nullptr; }
    /// The core, for a render context; null when not ready.
    mpv_handle* handle() const { return m_mpv.get(); }

    /// Replaces whatever plays by `path` (its bytes as the file system has them), paused or
    /// not. Returns 0, or mpv's error when the request cannot even be queued.
    int load(const QString& path, bool paused);
    /// Stops and forgets the file asked for: its later events are not ours.
    void close();
    /// True while the file asked for last is loaded or loading (not ended, failed or closed).
    bool hasFile() const { return m_entry != 0; }

    /// Queued property changes and commands; each returns 0 or mpv's error, which is logged.
    int setPause(bool on);
    int seek(double seconds, bool exact);
    /// Back to the start, as a stop leaves the file.
    int rewind();
    int setSpeed(double rate);
    int setAudioFilter(const QByteArray& chain);
    int setMute(bool on);
    int setVolume(double volume);
    /// mpv's hwdec choice for the files that follow ("auto-safe", "auto-copy-safe", "no").
    int setHardwareDecoding(const QByteArray& mode);
    /// After a failed render context: the picture goes nowhere, sound and timing go on.
    int dropVideoOutput();

Q_SIGNALS:
    /// mpv refused the file asked for (error < 0).
    void loadFailed(int error);
    /// The file asked for was opened and is about to show.
    void fileLoaded();
    /// Its first picture (or sound) after the start or a seek is out.
    void playbackRestarted();
    /// It played to its end.
    void endOfFile();
    /// It could not be played (error < 0).
    void fileFailed(int error);
    void positionChanged(double seconds);
    void durationChanged(double seconds);
    /// The picture's size after aspect correction; empty while none is known.
    void videoSizeChanged(const QSize& size);
    void volumeChanged(double volume);
    void muteChanged(bool on);
    /// mpv's hwdec choice as it stands.
    void hardwareDecodingChanged(const QString& mode);
    /// The decoder mpv uses for the file's video: a hardware one's name, "no" for software;
    /// empty while no video decoder runs.
    void hardwareDecoderChanged(const QString& decoder);

private:
    void start(const Options& options);
    void setOption(const QByteArray& name, const QByteArray& value);
    int checked(int rc, const char* what) const;
    void drainEvents();
    void handleLoadReply(int error, const mpv_node& result);
    void handleEndFile(int reason, int error);
    void handleProperty(quint64 id, int format, void* data);
    bool isOurEntry(qint64 id) const;
    static void wakeup(void* self);

    MpvHandle m_mpv;
    std::atomic<bool> m_drainQueued{false};
    // mpv numbers the files it is given; events of any other number than the one asked for
    // last belong to a file that was replaced or closed in the meantime. The number comes with
    // the reply to the load, so until then (pending) no file event is ours.
    static constexpr qint64 kEntryPending = -2;
    static constexpr qint64 kEntryUnknown = -1;
    qint64 m_entry = 0;       // the file asked for last: its number, pending, unknown, or 0 for none
    qint64 m_activeEntry = 0; // the file mpv last started
    quint64 m_loadSerial = 0;
    quint64 m_loadTicket = 0; // reply id of the load not yet answered, 0 when none
    bool m_followRedirect = false;
    QSize m_videoSize;
};

} // namespace tobimaru
