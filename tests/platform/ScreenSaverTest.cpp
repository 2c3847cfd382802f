// The screen saver switch over a real bus: a dbus-daemon of the test's own, and a screen saver
// service on a connection of its own that answers, refuses or never answers.
#include "platform/ScreenSaver.h"
#include "support/PrivateBus.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

namespace tobimaru::test {
namespace {

// One bus for the whole process: Qt keeps the first session bus connection it makes.
PrivateBus& Bus() {
    static PrivateBus bus;
    return bus;
}

enum class Answer { Grants, Refuses, NeverAnswers };

class ScreenSaverService final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

public:
    explicit ScreenSaverService(Answer answer)
        : m_answer(answer) {}
    QStringList calls;

public Q_SLOTS:
    uint Inhibit(const QString& application, const QString& reason) {
        calls << QStringLiteral("Inhibit %1 %2").arg(application, reason);
        answer();
        return 7;
    }
    void UnInhibit(uint cookie) {
        calls << QStringLiteral("UnInhibit %1").arg(cookie);
        answer();
    }

private:
    void answer() {
        if (m_answer == Answer::Refuses)
            sendErrorReply(QDBusError::AccessDenied, QStringLiteral("not now"));
        else if (m_answer == Answer::NeverAnswers)
            setDelayedReply(true); // and the reply never comes
    }
    Answer m_answer;
};

// The service under its well-known name, on a connection apart from the program's.
struct ServiceOnBus {
    explicit ServiceOnBus(Answer answer)
        : service(answer)
        , connection(QDBusConnection::connectToBus(Bus().address(), QStringLiteral("screensaver-service"))) {
        connection.registerObject(QStringLiteral("/org/freedesktop/ScreenSaver"), &service,
                                  QDBusConnection::ExportAllSlots);
        registered = connection.registerService(QStringLiteral("org.freedesktop.ScreenSaver"));
    }
    ~ServiceOnBus() {
        connection.unregisterService(QStringLiteral("org.freedesktop.ScreenSaver"));
        connection.unregisterObject(QStringLiteral("/org/freedesktop/ScreenSaver"));
        QDBusConnection::disconnectFromBus(QStringLiteral("screensaver-service"));
    }
    ScreenSaverService service;
    QDBusConnection connection;
    bool registered = false;
};

// Switches and waits for the answer; the switch itself must return at once.
std::optional<bool> Switch(ScreenSaver& saver, bool active, QObject* context, int waitMs = 5000) {
    std::optional<bool> answer;
    QElapsedTimer clock;
    clock.start();
    saver.setActive(active, context, [&](bool done) { answer = done; });
    EXPECT_LT(clock.elapsed(), 200) << "the switch waited for the service";
    EXPECT_FALSE(answer.has_value()) << "answered before the event loop ran";
    if (!QTest::qWaitFor([&] { return answer.has_value(); }, waitMs))
        ADD_FAILURE() << "no answer within " << waitMs << " ms";
    return answer;
}

TEST(DBusScreenSaver, EachAnswerOfTheServiceReachesTheCallerWithoutTheCallerWaiting) {
    if (!PrivateBus::available())
        GTEST_SKIP() << "dbus-daemon makes the test's bus (scripts/packages.txt installs dbus)";
    ASSERT_FALSE(Bus().address().isEmpty()) << "dbus-daemon did not start";
    ASSERT_TRUE(QDBusConnection::sessionBus().isConnected());
    const struct {
        const char* what;
        std::optional<Answer> service; ///< none: no service on the bus
        bool inhibited;                ///< what the switch off reports
        bool released;                 ///< what the switch on reports afterwards
        QStringList calls;
    } rows[] = {
        {"no service", std::nullopt, false, true, {}},
        {"a service that grants",
         Answer::Grants,
         true,
         true,
         {QStringLiteral("Inhibit TobimaruMe メディア再生中"), QStringLiteral("UnInhibit 7")}},
        {"a service that refuses",
         Answer::Refuses,
         false,
         true,
         {QStringLiteral("Inhibit TobimaruMe メディア再生中")}},
        {"a service that never answers",
         Answer::NeverAnswers,
         false,
         true,
         {QStringLiteral("Inhibit TobimaruMe メディア再生中")}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        std::unique_ptr<ServiceOnBus> service;
        if (row.service) {
            service = std::make_unique<ServiceOnBus>(*row.service);
            ASSERT_TRUE(service->registered);
        }
        QObject context;
        DBusScreenSaver saver(500);
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(Switch(saver, false, &context), row.inhibited);
        if (row.service == Answer::NeverAnswers) {
            EXPECT_GE(clock.elapsed(), 450) << "gave up before its time limit";
        }
        EXPECT_EQ(Switch(saver, true, &context), row.released);
        if (service) {
            EXPECT_EQ(service->service.calls, row.calls);
        }
    }
}

TEST(DBusScreenSaver, SwitchingOnWhileTheInhibitionIsOnItsWayReleasesItOnceItComes) {
    if (!PrivateBus::available())
        GTEST_SKIP() << "dbus-daemon makes the test's bus (scripts/packages.txt installs dbus)";
    ASSERT_FALSE(Bus().address().isEmpty()) << "dbus-daemon did not start";
    ServiceOnBus service(Answer::Grants);
    ASSERT_TRUE(service.registered);
    QObject context;
    DBusScreenSaver saver;
    std::optional<bool> off, on;
    saver.setActive(false, &context, [&](bool done) { off = done; });
    saver.setActive(true, &context, [&](bool done) { on = done; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return service.service.calls.size() == 2; }, 5000))
        << service.service.calls.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(service.service.calls[1], QStringLiteral("UnInhibit 7"));
    EXPECT_EQ(off, true);
    EXPECT_EQ(on, true);
}

TEST(DBusScreenSaver, AnAnswerAfterTheCallerIsGoneIsDropped) {
    if (!PrivateBus::available())
        GTEST_SKIP() << "dbus-daemon makes the test's bus (scripts/packages.txt installs dbus)";
    ASSERT_FALSE(Bus().address().isEmpty()) << "dbus-daemon did not start";
    ServiceOnBus service(Answer::Grants);
    bool called = false;
    DBusScreenSaver saver;
    {
        QObject context;
        saver.setActive(false, &context, [&](bool) { called = true; });
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return !service.service.calls.isEmpty(); }, 5000));
    QTest::qWait(100);
    EXPECT_FALSE(called);
}

} // namespace
} // namespace tobimaru::test

#include "ScreenSaverTest.moc"
