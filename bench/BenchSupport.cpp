#include "BenchSupport.h"

#include <QApplication>
#include <QProcess>
#include <benchmark/benchmark.h>
#include <clocale>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace tobimaru::bench {

PromptAnswer SilentPrompts::message(const QString& text, const QString&, PromptIcon, PromptButtons) {
    // A box during a run means the figure is of a failure: say so on the side.
    std::fprintf(stderr, "box: %s\n", qPrintable(text));
    return PromptAnswer::Ok;
}

PromptAnswer SilentPrompts::ask(const QString&, const QString&, PromptIcon, PromptButtons buttons,
                                PromptAnswer) {
    switch (buttons) {
    case PromptButtons::YesNo:
    case PromptButtons::YesNoCancel:
        return PromptAnswer::Yes;
    case PromptButtons::RetryCancel:
        return PromptAnswer::Retry;
    case PromptButtons::AbortRetryIgnore:
        return PromptAnswer::Abort;
    case PromptButtons::Ok:
    case PromptButtons::OkCancel:
        break;
    }
    return PromptAnswer::Ok;
}

QString MakeClip(const QString& path, double seconds, int width, int height) {
    const QString d = QString::number(seconds);
    const QString size = QStringLiteral("%1x%2").arg(width).arg(height);
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {"-hide_banner", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                  "testsrc=size=" + size + ":rate=25:duration=" + d, "-f", "lavfi", "-i",
                  "sine=frequency=440:duration=" + d, "-shortest", "-pix_fmt", "yuv420p", path});
    if (!ffmpeg.waitForFinished(60000) || ffmpeg.exitCode() != 0) {
        std::fprintf(stderr, "ffmpeg could not make the test clip\n");
        return QString();
    }
    return path;
}

void TouchFile(const QByteArray& path) {
    const int fd = ::open(path.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
    if (fd >= 0)
        ::close(fd);
}

DriveModel BenchDrives(const QString& folder) {
    DriveEnvironment env;
    env.probe = [](const QString&) { return true; };
    return DriveModel(
        {MountEntry{QStringLiteral("/"), QStringLiteral("ext4"), QStringLiteral("/dev/x0"), {}, {}},
         MountEntry{folder, QStringLiteral("ext4"), QStringLiteral("/dev/x1"), {}, {}}},
        env);
}

namespace {

class TimesReporter final : public benchmark::ConsoleReporter {
public:
    explicit TimesReporter(const std::function<void(const BenchTimes&)>& summary)
        : m_summary(summary) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration && run.aggregate_name != "median")
                continue;
            std::string name = run.run_name.str();
            if (const size_t cut = name.find("/real_time"); cut != std::string::npos)
                name.resize(cut);
            m_times[name] = run.GetAdjustedRealTime();
        }
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        if (m_summary)
            m_summary(m_times);
    }

private:
    const std::function<void(const BenchTimes&)>& m_summary;
    BenchTimes m_times;
};

} // namespace

int RunBenchmarks(int argc, char** argv, const BenchProgram& program) {
    UseOffscreenUnlessSet();
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    if (program.prepare && !program.prepare())
        return 1;
    benchmark::Initialize(&argc, argv);
    TimesReporter reporter(program.summary);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

void UseOffscreenUnlessSet() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

} // namespace tobimaru::bench
