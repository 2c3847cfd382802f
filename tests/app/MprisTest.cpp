// The player as the desktop's media controls see it: a client on a bus of the test's own
// (dbus-daemon), on a connection of its own, drives the real window and reads what it
// announces. Every call waits with the event loop running, so the window answers meanwhile.
#include "app/WindowRig.h"
#include "base/CommandTable.h"
#include "browse/FileListModel.h"
#include "browse/FileListView.h"
#include "playback/MediaPlayer.h"
#include "playback/PlaybackSubsystem.h"
#include "support/MediaMaker.h"
#include "support/PrivateBus.h"
#include "ui/StatusPanels.h"
#include "ui/Toolbar.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QFile>
#include <QMimeDatabase>
#include <QSlider>
#include <QTest>
#include <QTreeView>
#include <QUrl>
#include <gtest/gtest.h>

namespace tobimaru::test {
namespace {

const QString kService = QStringLiteral("org.mpris.MediaPlayer2.tobimarume");
const QString kPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kRoot = QStringLiteral("org.mpris.MediaPlayer2");
const QString kPlayer = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

// Qt keeps the first session bus a process connects to: the bus is started before any window.
bool g_busStarted = false;
PrivateBus& Bus() {
    g_busStarted = true;
    static PrivateBus bus;
    return bus;
}

#define NEED_BUS()                                                                                           \
    if (!PrivateBus::available())                                                                            \
        GTEST_SKIP() << "dbus-daemon makes the test's bus (scripts/packages.txt installs dbus)";             \
    ASSERT_FALSE(Bus().address().isEmpty()) << "dbus-daemon did not start"

// D-Bus hands variants and nested maps over as QDBusVariant and QDBusArgument: plain values.
QVariant Plain(const QVariant& v) {
    if (v.userType() == qMetaTypeId<QDBusVariant>())
        return Plain(v.value<QDBusVariant>().variant());
    if (v.userType() == qMetaTypeId<QDBusArgument>()) {
        const QDBusArgument arg = v.value<QDBusArgument>();
        if (arg.currentType() == QDBusArgument::MapType) {
            QVariantMap map;
            arg >> map;
            for (QVariant& value : map)
                value = Plain(value);
            return map;
        }
        QStringList list;
        arg >> list;
        return list;
    }
    return v;
}

QByteArray StartIn(const QString& folder) {
    return "[Boot]\nSearchPath=1\n[FilePath]\nPath=" + QFile::encodeName(folder) + "\n";
}

/// A desktop's media controls: a connection of their own to the test's bus.
class Remote final : public QObject {
    Q_OBJECT

public:
    Remote()
        : m_bus(QDBusConnection::connectToBus(Bus().address(), QStringLiteral("remote"))) {
        // D-Bus signals can only be connected to slots by their signatures.
        m_bus.connect(QString(), kPath, kProperties, QStringLiteral("PropertiesChanged"), this,
                      SLOT(onChanged(QString, QVariantMap, QStringList)));
        m_bus.connect(QString(), kPath, kPlayer, QStringLiteral("Seeked"), this, SLOT(onSeeked(qlonglong)));
    }
    ~Remote() override { QDBusConnection::disconnectFromBus(QStringLiteral("remote")); }

    QDBusMessage call(const QString& service, const QString& path, const QString& interface,
                      const QString& method, const QVariantList& args = {}) {
        QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
        message.setArguments(args);
        QDBusPendingCall pending = m_bus.asyncCall(message, 5000);
        if (!QTest::qWaitFor([&] { return pending.isFinished(); }, 6000))
            ADD_FAILURE() << "no answer to " << method.toStdString();
        return pending.reply();
    }
    QDBusMessage player(const QString& method, const QVariantList& args = {}) {
        return call(kService, kPath, kPlayer, method, args);
    }
    QVariant get(const QString& interface, const QString& name) {
        return Plain(call(kService, kPath, kProperties, QStringLiteral("Get"), {interface, name})
                         .arguments()
                         .value(0));
    }
    QVariantMap getAll(const QString& interface) {
        return Plain(call(kService, kPath, kProperties, QStringLiteral("GetAll"), {interface})
                         .arguments()
                         .value(0))
            .toMap();
    }
    bool set(const QString& name, const QVariant& value) {
        const QDBusMessage reply = call(kService, kPath, kProperties, QStringLiteral("Set"),
                                        {kPlayer, name, QVariant::fromValue(QDBusVariant(value))});
        return reply.type() == QDBusMessage::ReplyMessage;
    }
    bool nameOnBus() {
        const QDBusMessage reply =
            call(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                 QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"), {kService});
        return reply.arguments().value(0).toBool();
    }

    /// The last value announced for each property.
    QVariantMap announced;
    QStringList announcedNames;
    QList<qlonglong> seeks;

public Q_SLOTS:
    void onChanged(const QString&, const QVariantMap& changed, const QStringList&) {
        for (auto it = changed.begin(); it != changed.end(); ++it) {
            announced[it.key()] = Plain(it.value());
            announcedNames << it.key();
        }
    }
    void onSeeked(qlonglong position) { seeks << position; }

private:
    QDBusConnection m_bus;
};

QString Title(const QVariant& metadata) {
    return metadata.toMap().value(QStringLiteral("xesam:title")).toString();
}

TEST(Mpris, ThePlayerIsOnTheBusWithItsIdentityUntilQuitClosesTheWindow) {
    NEED_BUS();
    Remote remote;
    WindowRig w({}, true);
    w.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return remote.nameOnBus(); }, 10000));

    const QVariantMap root = remote.getAll(kRoot);
    const QVariantMap player = remote.getAll(kPlayer);
    const struct {
        const QVariantMap& all;
        const char* name;
        QVariant expected;
    } rows[] = {
        {root, "Identity", QStringLiteral("TobimaruMe")},
        {root, "DesktopEntry", QStringLiteral("io.github.tobimarume.tobimarume")},
        {root, "CanQuit", true},
        {root, "CanRaise", true},
        {root, "HasTrackList", false},
        {root, "SupportedUriSchemes", QStringList{QStringLiteral("file")}},
        {player, "PlaybackStatus", QStringLiteral("Stopped")},
        {player, "Metadata", QVariantMap()},
        {player, "MinimumRate", 0.1},
        {player, "MaximumRate", 4.0},
        {player, "Rate", 1.0},
        {player, "CanControl", true},
        {player, "CanPlay", false}, // the window's own empty folder
        {player, "CanGoNext", false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.all.value(QString::fromLatin1(row.name)), row.expected) << row.name;
    const QStringList types = root.value(QStringLiteral("SupportedMimeTypes")).toStringList();
    const QMimeDatabase db;
    // By the names the desktop's database knows them by (avi has had more than one).
    for (const char* alias :
         {"video/x-msvideo", "video/mpeg", "audio/mpeg", "audio/x-wav", "image/jpeg", "image/png"})
        EXPECT_TRUE(types.contains(db.mimeTypeForName(QString::fromLatin1(alias)).name())) << alias;
    EXPECT_FALSE(types.contains(QStringLiteral("application/octet-stream")));

    const QDBusMessage quit = remote.call(kService, kPath, kRoot, QStringLiteral("Quit"));
    EXPECT_EQ(quit.type(), QDBusMessage::ReplyMessage);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.form->unloaded(); }, 5000));
    EXPECT_FALSE(w.form->isVisible());
    EXPECT_NE(w.read("FormPos", "Width"), QStringLiteral("<none>"))
        << "closed the normal way: settings saved";
    EXPECT_TRUE(QTest::qWaitFor([&] { return !remote.nameOnBus(); }, 5000)) << "the name leaves the bus";
}

// What a user sees of the list and the player after a command.
struct Seen {
    QString caption;
    int row = -1;
    PlayerState state = MediaPlayer::Closed;
    QStringList marks;
    QStringList commands;
    bool operator==(const Seen&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Seen& s) {
    return out << s.caption.toStdString() << " row " << s.row << " state " << static_cast<int>(s.state)
               << " marks " << s.marks.join(QLatin1Char(';')).toStdString() << " commands "
               << s.commands.join(QLatin1Char(',')).toStdString();
}

struct Step {
    const char* what;
    int key;
    Qt::KeyboardModifiers modifiers;
    const char* method;
    PlayerState state;
    int row; ///< of the file loaded afterwards, -1 for none
};

const Step kSteps[] = {
    {"play the selected row", Qt::Key_Space, Qt::NoModifier, "PlayPause", MediaPlayer::Playing, 0},
    {"next", Qt::Key_Down, Qt::ControlModifier, "Next", MediaPlayer::Playing, 1},
    {"next again", Qt::Key_Down, Qt::ControlModifier, "Next", MediaPlayer::Playing, 2},
    {"next wraps to the top", Qt::Key_Down, Qt::ControlModifier, "Next", MediaPlayer::Playing, 0},
    {"previous wraps to the bottom", Qt::Key_Up, Qt::ControlModifier, "Previous", MediaPlayer::Playing, 2},
    {"pause", Qt::Key_Space, Qt::NoModifier, "PlayPause", MediaPlayer::Paused, 2},
    {"resume", Qt::Key_Space, Qt::NoModifier, "Play", MediaPlayer::Playing, 2},
    {"play pauses what plays, as Space does", Qt::Key_Space, Qt::NoModifier, "Play", MediaPlayer::Paused, 2},
    {"resume again", Qt::Key_Space, Qt::NoModifier, "PlayPause", MediaPlayer::Playing, 2},
    {"stop", Qt::Key_Space, Qt::ShiftModifier, "Stop", MediaPlayer::Closed, -1},
};

// Drives a window over the folder with each step, by the keys or, given a remote, by the bus,
// and keeps what is seen after each. `afterStep` checks more while the window is still there.
std::vector<Seen> Drive(const QString& folder, Remote* remote,
                        const std::function<void(const Step&)>& afterStep = {}) {
    const bool byBus = remote != nullptr;
    WindowRig w(StartIn(folder), byBus);
    w.start();
    if (byBus && !QTest::qWaitFor([&] { return remote->nameOnBus(); }, 10000))
        ADD_FAILURE() << "not on the bus";
    FileListModel& model = *w.form->fileList().model();
    QTreeView* list = w.form->ListView1();
    list->setCurrentIndex(model.index(0, 0));
    QStringList commands;
    w.form->commands().setObserver([&](CommandId id) { commands << id.toString(); });
    std::vector<Seen> seen;
    for (const Step& step : kSteps) {
        commands.clear();
        if (byBus) {
            remote->player(QString::fromLatin1(step.method));
        } else {
            list->setFocus();
            QTest::keyClick(list, Qt::Key(step.key), step.modifiers);
        }
        const MediaPlayer& player = w.form->player();
        const QString file = step.row < 0 ? QString() : model.key(step.row);
        const QString name = step.row < 0 ? QString() : model.row(step.row).name;
        const bool settled = QTest::qWaitFor(
            [&] {
                return player.PlayState() == step.state && player.FileName() == file &&
                       (name.isEmpty() || w.form->windowTitle().contains(name + QLatin1Char('(')));
            },
            10000);
        EXPECT_TRUE(settled) << step.what;
        if (afterStep)
            afterStep(step);
        Seen s;
        s.caption = w.form->windowTitle();
        s.row = list->currentIndex().row();
        s.state = player.PlayState();
        for (int r = 0; r < model.rowCount(); ++r)
            s.marks << QStringList{model.row(r).name, model.rowIconKey(r), model.rowBold(r) ? "bold" : "",
                                   model.rowColor(r).name(), model.rowToolTip(r)}
                           .join(QLatin1Char('|'));
        s.commands = commands;
        seen.push_back(s);
    }
    return seen;
}

TEST(Mpris, TheTransportDrivesTheListExactlyAsTheKeysDo) {
    NEED_BUS();
    if (!MediaMaker::available())
        GTEST_SKIP() << "ffmpeg makes the clips (scripts/packages.txt installs it)";
    TempDir media;
    // Long enough that no clip ends while the steps run.
    for (const char* name : {"a.avi", "b.avi", "c.avi"})
        MediaMaker::clip(media.file(QString::fromLatin1(name)), 30.0);

    const std::vector<Seen> byKeys = Drive(media.path(), nullptr);
    Remote remote;
    Remote* watching = &remote;
    const std::vector<Seen> byBus = Drive(media.path(), &remote, [&](const Step& step) {
        const QString expectedStatus = step.state == MediaPlayer::Playing  ? QStringLiteral("Playing")
                                       : step.state == MediaPlayer::Paused ? QStringLiteral("Paused")
                                                                           : QStringLiteral("Stopped");
        const QString name = step.row < 0 ? QString() : QStringList{"a.avi", "b.avi", "c.avi"}[step.row];
        // What the bus reads and what it was told agree with the window.
        EXPECT_EQ(watching->get(kPlayer, QStringLiteral("PlaybackStatus")).toString(), expectedStatus)
            << step.what;
        const QVariantMap metadata = watching->get(kPlayer, QStringLiteral("Metadata")).toMap();
        EXPECT_EQ(Title(metadata), name) << step.what;
        if (!name.isEmpty()) {
            EXPECT_EQ(metadata.value(QStringLiteral("xesam:url")).toString(),
                      QUrl::fromLocalFile(media.file(name)).toString())
                << step.what;
            EXPECT_TRUE(metadata.value(QStringLiteral("mpris:trackid"))
                            .value<QDBusObjectPath>()
                            .path()
                            .startsWith(QStringLiteral("/io/github/tobimarume/")))
                << step.what;
        }
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                return watching->announced.value(QStringLiteral("PlaybackStatus")).toString() ==
                           expectedStatus &&
                       Title(watching->announced.value(QStringLiteral("Metadata"))) == name;
            },
            5000))
            << step.what << ": announced " << watching->announcedNames.join(QLatin1Char(',')).toStdString();
        if (!name.isEmpty()) {
            EXPECT_TRUE(QTest::qWaitFor(
                [&] {
                    const qlonglong length = watching->announced.value(QStringLiteral("Metadata"))
                                                 .toMap()
                                                 .value(QStringLiteral("mpris:length"))
                                                 .toLongLong();
                    return length > 29'000'000 && length < 31'000'000;
                },
                5000))
                << step.what << ": the length in microseconds";
        }
    });
    ASSERT_EQ(byKeys.size(), byBus.size());
    for (size_t i = 0; i < byKeys.size(); ++i)
        EXPECT_EQ(byBus[i], byKeys[i]) << kSteps[i].what;
}

TEST(Mpris, SpeedVolumeAndPositionFollowTheBusAndEachChangeIsAnnounced) {
    NEED_BUS();
    if (!MediaMaker::available())
        GTEST_SKIP() << "ffmpeg makes the clip (scripts/packages.txt installs it)";
    TempDir media;
    MediaMaker::clip(media.file("a.avi"), 30.0);
    Remote remote;
    WindowRig w(StartIn(media.path()), true);
    w.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return remote.nameOnBus(); }, 10000));
    EXPECT_EQ(remote.get(kPlayer, QStringLiteral("CanPlay")), true);
    w.form->ListView1()->setCurrentIndex(w.form->fileList().model()->index(0, 0));
    remote.player(QStringLiteral("PlayPause"));
    const MediaPlayer& player = w.form->player();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return player.PlayState() == MediaPlayer::Playing && player.duration() > 0; }, 10000));
    QSlider* slider = w.form->toolbar().slider();

    const struct {
        const char* what;
        std::function<void()> change;
        int slider;
        const char* panel;
        double rate;
    } speeds[] = {
        {"the bus asks for 1.5", [&] { EXPECT_TRUE(remote.set(QStringLiteral("Rate"), 1.5)); }, 15, "1.5 x",
         1.5},
        {"below the slowest", [&] { EXPECT_TRUE(remote.set(QStringLiteral("Rate"), 0.05)); }, 1, "0.1 x",
         0.1},
        {"above the fastest", [&] { EXPECT_TRUE(remote.set(QStringLiteral("Rate"), 9.0)); }, 40, "4.0 x",
         4.0},
        {"the slider moved in the window", [&] { slider->setValue(25); }, 25, "2.5 x", 2.5},
        {"RateOne in the window", [&] { w.form->commands().execute(cmd::RateOne); }, 10, "1.0 x", 1.0},
    };
    for (const auto& row : speeds) {
        SCOPED_TRACE(row.what);
        row.change();
        EXPECT_TRUE(QTest::qWaitFor([&] { return slider->value() == row.slider; }, 5000)) << slider->value();
        EXPECT_EQ(w.form->status().text(7), QString::fromLatin1(row.panel));
        EXPECT_DOUBLE_EQ(player.Rate(), row.rate);
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return remote.announced.value(QStringLiteral("Rate")).toDouble() == row.rate; }, 5000));
        EXPECT_DOUBLE_EQ(remote.get(kPlayer, QStringLiteral("Rate")).toDouble(), row.rate);
    }

    for (const double volume : {0.4, 1.0}) {
        SCOPED_TRACE(volume);
        EXPECT_TRUE(remote.set(QStringLiteral("Volume"), volume));
        EXPECT_TRUE(QTest::qWaitFor([&] { return player.Volume() == int(volume * 100); }, 5000));
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return remote.announced.value(QStringLiteral("Volume")).toDouble() == volume; }, 5000));
    }

    // Jumps while paused, so the position stands still to be read.
    remote.player(QStringLiteral("Pause"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return player.PlayState() == MediaPlayer::Paused; }, 5000));
    remote.player(QStringLiteral("Pause"));
    QTest::qWait(200);
    EXPECT_EQ(player.PlayState(), MediaPlayer::Paused) << "Pause does not play what is paused";
    const QVariant track =
        remote.get(kPlayer, QStringLiteral("Metadata")).toMap().value(QStringLiteral("mpris:trackid"));
    const struct {
        const char* what;
        const char* method;
        QVariantList args;
        std::optional<qlonglong> seeked; ///< none: ignored
    } jumps[] = {
        {"to 10 s", "SetPosition", {track, qlonglong(10'000'000)}, 10'000'000},
        {"back 4 s", "Seek", {qlonglong(-4'000'000)}, 6'000'000},
        {"another file's position",
         "SetPosition",
         {QVariant::fromValue(QDBusObjectPath(QStringLiteral("/io/github/tobimarume/TobimaruMe/track/999"))),
          qlonglong(3'000'000)},
         std::nullopt},
        {"past the end", "SetPosition", {track, qlonglong(60'000'000)}, std::nullopt},
        {"before the start", "Seek", {qlonglong(-60'000'000)}, 0},
    };
    for (const auto& jump : jumps) {
        SCOPED_TRACE(jump.what);
        const qsizetype before = remote.seeks.size();
        EXPECT_EQ(remote.player(QString::fromLatin1(jump.method), jump.args).type(),
                  QDBusMessage::ReplyMessage);
        if (!jump.seeked) {
            QTest::qWait(500);
            EXPECT_EQ(remote.seeks.size(), before);
            continue;
        }
        ASSERT_TRUE(QTest::qWaitFor([&] { return remote.seeks.size() > before; }, 5000));
        EXPECT_NEAR(double(remote.seeks.last()), double(*jump.seeked), 100'000);
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                return std::abs(remote.get(kPlayer, QStringLiteral("Position")).toLongLong() - *jump.seeked) <
                       200'000;
            },
            5000));
    }
}

TEST(MprisWithoutBus, TheWindowStartsAndPlaysAsBefore) {
    if (g_busStarted)
        GTEST_SKIP() << "needs a process without a session bus (ctest runs each test alone)";
    if (!MediaMaker::available())
        GTEST_SKIP() << "ffmpeg makes the clip (scripts/packages.txt installs it)";
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus");
    static QStringList logged;
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
            if (text.contains(QLatin1String("media controls")))
                logged << text;
        });
    TempDir media;
    MediaMaker::clip(media.file("a.avi"), 5.0);
    WindowRig w(StartIn(media.path()), true);
    w.start();
    w.form->ListView1()->setCurrentIndex(w.form->fileList().model()->index(0, 0));
    w.form->ListView1()->setFocus();
    QTest::keyClick(w.form->ListView1(), Qt::Key_Space);
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.form->player().PlayState() == MediaPlayer::Playing; }, 10000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !logged.isEmpty(); }, 5000));
    qInstallMessageHandler(previous);
    EXPECT_EQ(logged.size(), 1) << logged.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(w.prompts.boxes.empty());
    w.form->close();
    EXPECT_TRUE(w.form->unloaded());
}

} // namespace
} // namespace tobimaru::test

#include "MprisTest.moc"
