// The worker and its progress dialog: the window's event loop runs while the work does, the
// dialog comes only for work that takes a while, and its cancel reaches the work.
#include "base/ErrorTable.h"
#include "fileops/FileJobRunner.h"

#include <QApplication>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace tobimaru::test {
namespace {

QProgressDialog* ShownDialog() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == FileJobDialogName() && w->isVisible())
            return qobject_cast<QProgressDialog*>(w);
    }
    return nullptr;
}

// Work that goes on until it is cancelled, or gives up after a long while so a fault cannot
// hang the run.
void UntilCancelled(JobControl& job) {
    job.setTotals(4 << 20, 3);
    job.setEntry(1, QStringLiteral("movie.avi"));
    job.addBytes(1 << 20);
    for (int i = 0; i < 4000 && !job.cancelled(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

TEST(FileJob, LongWorkShowsTheProgressAndItsCancelOrCloseBoxStopsTheWork) {
    // Escape is the dialog's own shortcut for its cancel button; the close box hides the
    // dialog, which must come back while the work winds down.
    enum How { Button, CloseBox };
    for (const How how : {Button, CloseBox}) {
        SCOPED_TRACE(how);
        QWidget window;
        window.show();
        int ticks = 0;
        QString label;
        QString labelAfterCancel;
        bool cancelledByDialog = false;
        QTimer watcher;
        QObject::connect(&watcher, &QTimer::timeout, [&] {
            ++ticks;
            QProgressDialog* dialog = ShownDialog();
            if (!dialog)
                return;
            if (cancelledByDialog) {
                labelAfterCancel = dialog->labelText();
                return;
            }
            label = dialog->labelText();
            EXPECT_TRUE(dialog->isModal());
            const auto buttons = dialog->findChildren<QPushButton*>();
            ASSERT_EQ(buttons.size(), 1);
            EXPECT_EQ(buttons[0]->text(), "キャンセル");
            cancelledByDialog = true;
            switch (how) {
            case Button:
                QTest::mouseClick(buttons[0], Qt::LeftButton);
                break;
            case CloseBox:
                dialog->close();
                break;
            }
        });
        watcher.start(50);
        bool sawCancel = false;
        FileJobUi ui{&window, QStringLiteral("ファイルの移動"), {}};
        RunFileJob(ui, [&](JobControl& job) {
            UntilCancelled(job);
            sawCancel = job.cancelled();
            // Winding down takes a moment, as closing a half-written copy does.
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
        });
        EXPECT_TRUE(cancelledByDialog) << "the dialog showed";
        EXPECT_TRUE(sawCancel);
        EXPECT_GT(ticks, 5) << "the window's timers ran all along";
        EXPECT_TRUE(label.startsWith("movie.avi\n2 / 3 個\n")) << label.toStdString();
        EXPECT_TRUE(labelAfterCancel.startsWith("中止しています…")) << "the dialog stays while the work ends";
        EXPECT_EQ(ShownDialog(), nullptr) << "gone once the work ended";
    }
}

TEST(FileJob, ShortWorkShowsNothingAndAFailureInsideReachesTheCaller) {
    bool shown = false;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] { shown = shown || ShownDialog(); });
    watcher.start(10);
    RunFileJob({}, [](JobControl&) { std::this_thread::sleep_for(std::chrono::milliseconds(100)); });
    EXPECT_FALSE(shown);
    EXPECT_THROW(RunFileJob({}, [](JobControl&) { throw Failure(ErrorCode::DiskFull); }), Failure);
}

TEST(FileJob, TheWorkersQuestionIsAskedOnTheWindowsThread) {
    QThread* askedOn = nullptr;
    QString asked;
    FileJobUi ui;
    ui.askClash = [&](const QString& target) {
        askedOn = QThread::currentThread();
        asked = target;
        return JobControl::Clash::Replace;
    };
    JobControl::Clash answer = JobControl::Clash::Skip;
    QThread* workedOn = nullptr;
    RunFileJob(ui, [&](JobControl& job) {
        workedOn = QThread::currentThread();
        answer = job.askClash(QStringLiteral("/dest/a.txt"));
    });
    EXPECT_EQ(askedOn, QApplication::instance()->thread());
    EXPECT_NE(workedOn, askedOn);
    EXPECT_EQ(asked, "/dest/a.txt");
    EXPECT_EQ(answer, JobControl::Clash::Replace);
}

} // namespace
} // namespace tobimaru::test
