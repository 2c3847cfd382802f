// The shell actions against a session bus of the test's own: a file manager service that
// answers, one that never does, and none at all. The desktop's default application is caught
// by Qt's own url handlers, so nothing is started on the machine.
#include "FileOpsRig.h"

#include "fileops/ShellActions.h"
#include "platform/ShellOpen.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>
#include <memory>

namespace tobimaru::test {
namespace {

/// A dbus-daemon for the test process, without service activation.
class PrivateBus {
public:
    PrivateBus() {
        const QString config = m_dir.write(
            "bus.conf", "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\" "
                        "\"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                        "<busconfig><type>session</type><listen>unix:dir=" +
                            QFile::encodeName(m_dir.path()) +
                            "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                            "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                            "<allow own=\"*\"/></policy></busconfig>\n");
        m_daemon.start("dbus-daemon", {"--nofork", "--print-address=1", "--config-file=" + config});
        if (!m_daemon.waitForReadyRead(10000))
            return;
        m_address = QString::fromUtf8(m_daemon.readLine().trimmed());
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_address.toUtf8());
    }
    ~PrivateBus() {
        m_daemon.kill();
        m_daemon.waitForFinished();
    }
    QString address() const { return m_address; }

private:
    TempDir m_dir;
    QProcess m_daemon;
    QString m_address;
};

/// org.freedesktop.FileManager1 as a file manager offers it; it keeps what it was asked.
class FakeFileManager final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public:
    QStringList folders;
    QStringList properties;
    bool hang = false;

public Q_SLOTS:
    void ShowFolders(const QStringList& uris, const QString&) {
        folders << uris;
        holdIfHanging();
    }
    void ShowItems(const QStringList&, const QString&) {}
    void ShowItemProperties(const QStringList& uris, const QString&) {
        properties << uris;
        holdIfHanging();
    }

private:
    // A reply promised and never sent: the caller waits for its time limit.
    void holdIfHanging() {
        if (hang)
            setDelayedReply(true);
    }
};

/// Catches what would go to the desktop's default application.
class Launcher final : public QObject {
    Q_OBJECT
public:
    Launcher() {
        for (const char* scheme : {"file", "trash", "mailto", "https"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "open");
    }
    ~Launcher() override {
        for (const char* scheme : {"file", "trash", "mailto", "https"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    }
    QStringList opened;
public Q_SLOTS:
    void open(const QUrl& url) { opened << url.toString(QUrl::FullyEncoded); }
};

class ShellActionsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_bus = std::make_unique<PrivateBus>(); }
    static void TearDownTestSuite() { s_bus.reset(); }

    void SetUp() override {
        ASSERT_FALSE(s_bus->address().isEmpty())
            << "dbus-daemon (scripts/packages.txt) gives the test its bus";
        m_rig.make({"movies/clip.avi", "movies/sub/"});
        m_rig.open("movies");
        m_rig.select({"clip.avi"});
    }
    void TearDown() override {
        if (m_served)
            QDBusConnection::disconnectFromBus(QStringLiteral("fm"));
    }
    void serve() {
        QDBusConnection fm = QDBusConnection::connectToBus(s_bus->address(), QStringLiteral("fm"));
        ASSERT_TRUE(fm.registerService(QStringLiteral("org.freedesktop.FileManager1")));
        ASSERT_TRUE(fm.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &m_fake,
                                      QDBusConnection::ExportAllSlots));
        m_served = true;
    }
    ShellActions& actions() { return m_rig.ops->actions(); }
    bool answered(const std::function<void()>& action) {
        QSignalSpy spy(&actions(), &ShellActions::shellAnswered);
        action();
        return spy.wait(10000);
    }
    QString fileUrl(const QString& relative) const {
        return QUrl::fromLocalFile(m_rig.at(relative)).toString();
    }

    static inline std::unique_ptr<PrivateBus> s_bus;
    FileOpsRig m_rig;
    FakeFileManager m_fake;
    Launcher m_launcher;
    bool m_served = false;
};

TEST_F(ShellActionsTest, TheFileManagerShowsTheFolderThePropertiesAndTheTrash) {
    serve();
    EXPECT_TRUE(answered([&] { actions().GoExp(); }));
    EXPECT_TRUE(answered([&] { actions().FilePopa(); }));
    EXPECT_TRUE(answered([&] { actions().OpenRecycle(); }));
    EXPECT_EQ(m_fake.folders, QStringList({fileUrl("movies"), "trash:///"}));
    EXPECT_EQ(m_fake.properties, QStringList{fileUrl("movies/clip.avi")});
    EXPECT_EQ(m_rig.slideStops, 1);
    EXPECT_TRUE(m_launcher.opened.isEmpty());
    EXPECT_TRUE(m_rig.prompts.boxes.isEmpty());
}

TEST_F(ShellActionsTest, WithoutAFileManagerTheDefaultApplicationOpensAndNoPropertiesShow) {
    EXPECT_TRUE(answered([&] { actions().GoExp(); }));
    EXPECT_TRUE(answered([&] { actions().OpenRecycle(); }));
    EXPECT_EQ(m_launcher.opened, QStringList({fileUrl("movies"), "trash:///"}));
    EXPECT_TRUE(answered([&] { actions().FilePopa(); }));
    ASSERT_EQ(m_rig.prompts.boxes.size(), 1);
    EXPECT_EQ(m_rig.prompts.boxes[0].text, "プロパティの表示に失敗しました。");
    EXPECT_EQ(m_rig.prompts.boxes[0].icon, PromptIcon::Critical);
}

TEST_F(ShellActionsTest, WithNoApplicationAtAllEachActionSaysWhatItCouldNotOpen) {
    for (const char* scheme : {"file", "trash"})
        QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    const QByteArray path = qgetenv("PATH");
    const TempDir empty;
    qputenv("PATH", QFile::encodeName(empty.path())); // no xdg-open, no browser
    qunsetenv("BROWSER");
    qunsetenv("DEFAULT_BROWSER");
    const struct {
        const char* what;
        std::function<void()> act;
        QString named;
    } rows[] = {
        {"エクスプローラ", [&] { actions().GoExp(); }, m_rig.at("movies")},
        {"ごみ箱を開く", [&] { actions().OpenRecycle(); }, QStringLiteral("ごみ箱")},
        {"開く", [&] { actions().MunOpen(); }, m_rig.at("movies/clip.avi")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        m_rig.prompts.clear();
        row.act();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !m_rig.prompts.boxes.isEmpty(); }, 10000));
        EXPECT_TRUE(m_rig.prompts.boxes[0].text.startsWith(QStringLiteral("「") + row.named +
                                                           QStringLiteral("」を開く")))
            << m_rig.prompts.boxes[0].text.toStdString();
    }
    qputenv("PATH", path);
}

TEST_F(ShellActionsTest, AFileManagerThatNeverAnswersHoldsNothingUp) {
    m_fake.hang = true;
    serve();
    QSignalSpy spy(&actions(), &ShellActions::shellAnswered);
    actions().FilePopa();
    EXPECT_TRUE(m_rig.prompts.boxes.isEmpty()) << "the call returned before any answer";
    ASSERT_TRUE(spy.wait(15000));
    EXPECT_EQ(m_fake.properties, QStringList{fileUrl("movies/clip.avi")});
    EXPECT_EQ(m_rig.prompts.texts(), QStringList{"プロパティの表示に失敗しました。"});
}

TEST_F(ShellActionsTest, SearchStartsTheFirstToolOnThePathElseTheFileManagerShowsTheFolder) {
    serve();
    const QByteArray path = qgetenv("PATH");
    const struct {
        QStringList tools;
        QString args; ///< what the started tool was given; "" when none is started
    } rows[] = {
        {{"catfish", "gnome-search-tool"}, "--path=" + m_rig.at("movies/sub")},
        {{"kfind", "catfish"}, m_rig.at("movies/sub")},
        {{}, ""},
    };
    m_rig.tree.tree->SelectTreePath(m_rig.tree.drive(), m_rig.at("movies/sub"), false);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.tools.join(",").toStdString());
        TempDir bin;
        const QString out = bin.file("args");
        for (const QString& tool : row.tools) {
            const QString script = bin.write(tool, "#!/bin/sh\necho \"$@\" > '" + QFile::encodeName(out) +
                                                       "." + tool.toUtf8() + "'\n");
            QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        qputenv("PATH", QFile::encodeName(bin.path()));
        m_fake.folders.clear();
        actions().GoSearch();
        if (row.tools.isEmpty()) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return !m_fake.folders.isEmpty(); }, 10000));
            EXPECT_EQ(m_fake.folders, QStringList{fileUrl("movies/sub")});
        } else {
            const QString written = out + "." + (row.args.startsWith("--") ? "catfish" : "kfind");
            EXPECT_TRUE(QTest::qWaitFor([&] { return QFile(written).size() > 0; }, 10000));
            QFile f(written);
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            EXPECT_EQ(QString::fromUtf8(f.readAll().trimmed()), row.args);
            EXPECT_TRUE(m_fake.folders.isEmpty());
        }
    }
    qputenv("PATH", path);
}

TEST_F(ShellActionsTest, OpenMarksTheRowFirstAndTargetsWithASchemeGoAsTheyStand) {
    actions().MunOpen();
    const int row = m_rig.model().rowOfKey(m_rig.at("movies/clip.avi"));
    EXPECT_TRUE(m_rig.model().rowBold(row));
    EXPECT_EQ(m_rig.model().rowColor(row), QColor(0, 0, 0));
    EXPECT_EQ(m_launcher.opened, QStringList{fileUrl("movies/clip.avi")});

    EXPECT_EQ(ShellOpenFile(nullptr, "mailto:tobimaru@example.com", kShowNormal), 0);
    EXPECT_EQ(ShellOpenFile(nullptr, "https://example.com/a%20b?x=1", kShowNormal), 0);
    EXPECT_EQ(m_launcher.opened.mid(1),
              QStringList({"mailto:tobimaru@example.com", "https://example.com/a%20b?x=1"}));
    EXPECT_EQ(ShellTarget("/music/a:b.mp3"), QUrl::fromLocalFile("/music/a:b.mp3"));
}

TEST_F(ShellActionsTest, EmptyingTheTrashAsksFirstAndSaysWhenSomethingStayed) {
    const QString trashed = m_rig.tree.dir.write("gone.txt", "x");
    QString reason;
    ASSERT_TRUE(m_rig.trash.moveToTrash(trashed, &reason)) << reason.toStdString();

    m_rig.prompts.answer(PromptAnswer::No);
    actions().ClsRecycle();
    EXPECT_EQ(m_rig.home.files(), QStringList{"gone.txt"});
    ASSERT_EQ(m_rig.prompts.boxes.size(), 1);
    EXPECT_EQ(m_rig.prompts.boxes[0].defaultAnswer, PromptAnswer::No);

    m_rig.prompts.answer(PromptAnswer::Yes);
    actions().ClsRecycle();
    EXPECT_TRUE(m_rig.home.files().isEmpty());
    EXPECT_EQ(m_rig.prompts.boxes.size(), 2) << "no failure";

    // An "info" that is a link to a folder elsewhere is not emptied through the link.
    TempDir elsewhere;
    elsewhere.write("keep.txt", "keep");
    ASSERT_TRUE(QDir(m_rig.home.trash() + "/info").removeRecursively());
    ASSERT_TRUE(QFile::link(elsewhere.path(), m_rig.home.trash() + "/info"));
    m_rig.prompts.answer(PromptAnswer::Yes);
    actions().ClsRecycle();
    EXPECT_EQ(m_rig.prompts.texts().last(), "ごみ箱削除に失敗しました。");
    EXPECT_EQ(m_rig.prompts.boxes.last().icon, PromptIcon::None);
    EXPECT_TRUE(QFile::exists(elsewhere.file("keep.txt")));
}

} // namespace
} // namespace tobimaru::test

#include "ShellActionsTest.moc"
