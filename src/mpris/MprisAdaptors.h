#pragma once

#include <QDBusAbstractAdaptor>
#include <QDBusObjectPath>
#include <QStringList>
#include <QVariantMap>
#include <functional>

namespace tobimaru {

class CommandTable;
class NowPlaying;

/// What the desktop may ask of the window itself.
struct MprisWindowHooks {
    /// Closes the main window the way its close box does (the settings are saved).
    std::function<void()> quit;
    /// Brings the main window to the front.
    std::function<void()> raise;
};

/// org.mpris.MediaPlayer2: who the player is and what it opens.
class MprisRootAdaptor final : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry)
    Q_PROPERTY(bool CanQuit READ canQuit)
    Q_PROPERTY(bool CanRaise READ canRaise)
    Q_PROPERTY(bool HasTrackList READ hasTrackList)
    Q_PROPERTY(QStringList SupportedUriSchemes READ supportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ supportedMimeTypes)

public:
    MprisRootAdaptor(QObject* root, MprisWindowHooks hooks, QStringList mimeTypes);

    QString identity() const;
    QString desktopEntry() const;
    bool canQuit() const { return true; }
    bool canRaise() const { return true; }
    bool hasTrackList() const { return false; }
    QStringList supportedUriSchemes() const { return {QStringLiteral("file")}; }
    QStringList supportedMimeTypes() const { return m_mimeTypes; }

public Q_SLOTS:
    void Raise();
    void Quit();

private:
    MprisWindowHooks m_hooks;
    QStringList m_mimeTypes;
};

/// org.mpris.MediaPlayer2.Player over the file list as a playlist. The transport runs the key
/// commands of the window's command table (Space, Shift+Space, Ctrl+Down, Ctrl+Up); position,
/// speed and volume go through NowPlaying.
class MprisPlayerAdaptor final : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(double Rate READ rate WRITE setRate)
    Q_PROPERTY(double MinimumRate READ minimumRate)
    Q_PROPERTY(double MaximumRate READ maximumRate)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(double Volume READ volume WRITE setVolume)
    Q_PROPERTY(qlonglong Position READ position)
    Q_PROPERTY(bool CanGoNext READ canAct)
    Q_PROPERTY(bool CanGoPrevious READ canAct)
    Q_PROPERTY(bool CanPlay READ canAct)
    Q_PROPERTY(bool CanPause READ canAct)
    Q_PROPERTY(bool CanSeek READ canAct)
    Q_PROPERTY(bool CanControl READ canControl)

public:
    /// Both references must outlive the adaptor.
    MprisPlayerAdaptor(QObject* root, NowPlaying& now, CommandTable& commands);

    QString playbackStatus() const;
    double rate() const;
    void setRate(double rate);
    double minimumRate() const;
    double maximumRate() const;
    QVariantMap metadata() const;
    double volume() const;
    void setVolume(double volume);
    qlonglong position() const;
    bool canAct() const;
    /// Always true: whether the player can be controlled at all does not change.
    bool canControl() const { return true; }

    /// The track id of a file opened (`serial` counts them); NoTrack for 0.
    static QDBusObjectPath TrackId(quint64 serial);

public Q_SLOTS:
    void Next();
    void Previous();
    void Pause();
    void PlayPause();
    void Stop();
    void Play();
    void Seek(qlonglong Offset);
    void SetPosition(const QDBusObjectPath& TrackId, qlonglong Position);
    /// Files are chosen in the window's list; a uri from outside opens nothing.
    void OpenUri(const QString& Uri);

Q_SIGNALS:
    void Seeked(qlonglong Position);

private:
    NowPlaying& m_now;
    CommandTable& m_commands;
};

} // namespace tobimaru
