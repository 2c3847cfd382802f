#include <QApplication>
#include <QStandardPaths>
#include <clocale>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // Without a display even listing the tests would abort, so the offscreen platform is the
    // default; a test run under Xvfb sets QT_QPA_PLATFORM=xcb itself.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    QStandardPaths::setTestModeEnabled(true);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
