// The gate that holds the user's input through a wait: keys reach a window through Qt's entry
// for the window system's input, as a user's do.
#include "platform/InputGate.h"

#include <QEventLoop>
#include <QKeyEvent>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <functional>
#include <gtest/gtest.h>

using namespace tobimaru;

namespace {

// A window that notes the keys it gets, and the test notes its own steps in the same list.
class KeyWindow final : public QWindow {
public:
    QStringList log;

protected:
    void keyPressEvent(QKeyEvent* event) override { log << event->text(); }
};

void Type(KeyWindow& window, char c) {
    const auto key = Qt::Key(Qt::Key_A + (c - 'a'));
    const QString text(QChar::fromLatin1(c));
    qt_handleKeyEvent(&window, QEvent::KeyPress, key, Qt::NoModifier, text);
    qt_handleKeyEvent(&window, QEvent::KeyRelease, key, Qt::NoModifier, text);
}

// Runs `during` from a timer inside a local loop, as a wait does, and ends the loop after it.
void Wait(const std::function<void()>& during) {
    QEventLoop loop;
    QTimer::singleShot(0, &loop, [&] {
        during();
        loop.quit();
    });
    loop.exec();
}

} // namespace

TEST(InputGate, HoldsInputForTheWaitAndHandsItOnInOrder) {
    struct Case {
        const char* what;
        std::function<void(KeyWindow&)> during; ///< what happens inside the wait
        QStringList expected;
    };
    const Case cases[] = {
        {"keys in the wait come after it, in order",
         [](KeyWindow& w) {
             Type(w, 'a');
             Type(w, 'b');
         },
         {"over", "a", "b"}},
        {"a dialog's loop opened in the wait gets its keys at once",
         [](KeyWindow& w) {
             Type(w, 'a');
             Wait([&] { Type(w, 'b'); });
             Type(w, 'c');
         },
         {"b", "over", "a", "c"}},
        {"input held while a loop that keeps input queued runs is handed on after it",
         [](KeyWindow& w) {
             Type(w, 'a');
             QTimer::singleShot(0, [&w] {
                 const InputGate::Excluding excluding;
                 w.log << "excluding";
                 Wait([] { QCoreApplication::processEvents(); });
                 w.log << "included";
             });
         },
         {"over", "excluding", "included", "a"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        KeyWindow window;
        window.show();
        InputGate gate;
        {
            const InputGate::Hold hold = gate.hold([](QObject*, const QEvent&) { return false; }, [] {});
            ASSERT_TRUE(hold.live());
            Wait([&] { c.during(window); });
            window.log << "over";
        }
        QTest::qWait(20);
        EXPECT_EQ(window.log, c.expected);
    }
}

TEST(InputGate, TheFirstInputTheBreakerNamesEndsTheWaitAndIsStillHandedOn) {
    KeyWindow window;
    window.show();
    InputGate gate;
    int broken = 0;
    QStringList seen;
    {
        const InputGate::Hold hold = gate.hold(
            [&](QObject*, const QEvent& event) {
                if (event.type() != QEvent::KeyPress)
                    return false;
                seen << static_cast<const QKeyEvent&>(event).text();
                return seen.last() != QLatin1String("a");
            },
            [&] { ++broken; });
        Wait([&] {
            Type(window, 'a');
            EXPECT_EQ(broken, 0);
            Type(window, 'b');
            Type(window, 'c');
        });
    }
    QTest::qWait(20);
    EXPECT_EQ(broken, 1);
    EXPECT_EQ(seen, (QStringList{"a", "b", "c"}));
    EXPECT_EQ(window.log, (QStringList{"a", "b", "c"}));
}

TEST(InputGate, NothingIsHeldInsideALoopThatKeepsInputQueuedOrWithoutABreaker) {
    InputGate gate;
    {
        const InputGate::Hold hold = gate.hold({}, [] {});
        EXPECT_FALSE(hold.live());
    }
    const InputGate::Excluding excluding;
    const InputGate::Hold hold = gate.hold([](QObject*, const QEvent&) { return false; }, [] {});
    EXPECT_FALSE(hold.live());
}
