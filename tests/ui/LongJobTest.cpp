// The runner of long jobs seen from the window: what reaches the window while a job runs, and what
// becomes of the job when the program quits under it.
#include "ui/LongJob.h"
#include "support/ForkedChild.h"

#include <QApplication>
#include <QLineEdit>
#include <QProgressDialog>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

namespace tobimaru::test {
namespace {

bool JobDialogShown() {
    auto* dialog = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
    return dialog && dialog->objectName() == QLatin1String("TestJob") && dialog->isVisible();
}

// Work that goes on until it is told to stop, or gives up after a long while so a fault cannot
// hang the run.
void UntilStopped(const std::atomic<bool>& stop) {
    for (int i = 0; i < 4000 && !stop.load(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

TEST(LongJob, WhileItRunsTheWindowNeitherClosesNorTakesTyping) {
    // Before the dialog the runner drops the input; once it is up, a close the program asks for
    // itself (a second instance, the session ending) still waits for the end of the work.
    struct Row {
        const char* when;
        int afterMs;
        bool dialog;
    };
    for (const Row& row : {Row{"before the dialog", 50, false}, Row{"with the dialog", 800, true}}) {
        SCOPED_TRACE(row.when);
        QWidget window;
        auto* edit = new QLineEdit(&window);
        window.show();
        std::atomic<bool> stop{false};
        bool sawDialog = false;
        bool closed = true;
        QTimer::singleShot(row.afterMs, [&] {
            sawDialog = JobDialogShown();
            if (!row.dialog)
                QTest::keyClicks(edit, "typed");
            closed = window.close();
            stop.store(true);
        });
        LongJobUi ui;
        ui.owner = &window;
        ui.dialogName = QStringLiteral("TestJob");
        RunLongJob(ui, [&](UiThreadCall&) { UntilStopped(stop); });
        EXPECT_EQ(sawDialog, row.dialog);
        EXPECT_FALSE(closed);
        EXPECT_TRUE(window.isVisible());
        EXPECT_EQ(edit->text(), "");
        EXPECT_TRUE(window.close()) << "the window closes again once the work has ended";
    }
}

// The window's key handler is an application filter that acts on a key's release and lets it
// through; the job it starts must not make Qt hand it the same key a second time.
class KeyHandler final : public QObject {
public:
    int jobs = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyRelease) {
            ++jobs;
            RunLongJob({}, [](UiThreadCall&) {});
        }
        return false;
    }
};

TEST(LongJob, AJobStartedByAKeyHandlerLeavesItThatKeyOnce) {
    QWidget window;
    window.show();
    KeyHandler handler;
    qApp->installEventFilter(&handler);
    QTest::keyClick(&window, Qt::Key_Delete);
    qApp->removeEventFilter(&handler);
    EXPECT_EQ(handler.jobs, 1);
}

TEST(LongJob, AQuitUnderAJobCancelsItAndLeavesItsQuestionUnasked) {
    // A quit ends every nested event loop for good, so it runs in a copy of the process.
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    ForkedChild child([&] {
        std::atomic<bool> stop{false};
        bool asked = false;
        bool answered = true;
        LongJobUi ui;
        ui.cancel = [&] { stop.store(true); };
        QTimer::singleShot(100, [] { QCoreApplication::exit(0); });
        RunLongJob(ui, [&](UiThreadCall& uiThread) {
            UntilStopped(stop);
            answered = uiThread.run([&] { asked = true; });
        });
        const char outcome[] = {stop.load() ? 'c' : '-', asked ? 'a' : '-', answered ? 'r' : '-'};
        (void)!::write(fds[1], outcome, sizeof outcome);
    });
    ::close(fds[1]);
    EXPECT_EQ(child.wait(), 0);
    char outcome[4] = {};
    EXPECT_EQ(::read(fds[0], outcome, 3), 3);
    ::close(fds[0]);
    EXPECT_STREQ(outcome, "c--") << "cancelled, not asked, no answer";
}

} // namespace
} // namespace tobimaru::test
