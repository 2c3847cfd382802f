// Starting a file through the player wrapper against a bare libmpv program: loadfile then
// wait for playback-restart is the least any player over libmpv can do. The wrapper adds the
// existence test, the pane's set-up, the hop of mpv's wakeup to the GUI thread and the
// signals. Both run with vo=null and ao=null on the same clip, in the same process.

#include "BenchSupport.h"
#include "base/Prompts.h"
#include "platform/ShellOpen.h"
#include "playback/MediaPlayer.h"
#include "playback/clsMovie.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <memory>
#include <mpv/client.h>

namespace {

using namespace tobimaru;
using Clock = std::chrono::steady_clock;

/// Mean of every timed iteration, warm-up rounds included.
struct Mean {
    double totalMs = 0;
    long count = 0;
    void add(double ms) {
        totalMs += ms;
        ++count;
    }
    double value() const { return count ? totalMs / count : 0; }
};

double MsSince(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

bool WaitForEvent(mpv_handle* h, mpv_event_id wanted) {
    for (;;) {
        mpv_event* e = mpv_wait_event(h, 5.0);
        if (e->event_id == wanted)
            return true;
        if (e->event_id == MPV_EVENT_NONE || e->event_id == MPV_EVENT_SHUTDOWN)
            return false;
    }
}

void BareMpv(benchmark::State& state, const QByteArray& clip, Mean& mean) {
    std::setlocale(LC_NUMERIC, "C");
    std::unique_ptr<mpv_handle, void (*)(mpv_handle*)> h(mpv_create(), mpv_terminate_destroy);
    for (const char* opt : {"vo=null", "ao=null", "idle=yes"}) {
        const QByteArray kv(opt);
        const int eq = kv.indexOf('=');
        mpv_set_option_string(h.get(), kv.left(eq).constData(), kv.mid(eq + 1).constData());
    }
    if (mpv_initialize(h.get()) < 0) {
        state.SkipWithError("mpv does not start");
        return;
    }
    for (auto _ : state) {
        const char* load[] = {"loadfile", clip.constData(), "replace", nullptr};
        const auto t0 = Clock::now();
        mpv_command(h.get(), load);
        if (!WaitForEvent(h.get(), MPV_EVENT_PLAYBACK_RESTART)) {
            state.SkipWithError("no playback-restart");
            return;
        }
        const double ms = MsSince(t0);
        state.SetIterationTime(ms / 1000.0);
        mean.add(ms);
        const char* stop[] = {"stop", nullptr};
        mpv_command(h.get(), stop);
        WaitForEvent(h.get(), MPV_EVENT_IDLE);
    }
}

enum class Until { NewStream, FirstFrame };

void Wrapper(benchmark::State& state, const QString& clip, Until until, Mean& mean) {
    PlayerOptions options;
    options.output = PlayerOutput::NoVideo;
    options.audioOutput = "null";
    MediaPlayer player(nullptr, options);
    bench::SilentPrompts prompts;
    // Nothing the benchmark plays goes to the desktop.
    DesktopShellOpener opener([](const QUrl&) { return true; });
    clsMovie movie(player, prompts, opener);

    QEventLoop loop;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &loop, [&] { loop.exit(1); });
    if (until == Until::NewStream)
        QObject::connect(&player, &MediaPlayer::NewStream, &loop, [&] { loop.exit(0); });
    else
        QObject::connect(&player, &MediaPlayer::playbackRestarted, &loop, [&] { loop.exit(0); });

    for (auto _ : state) {
        const auto t0 = Clock::now();
        movie.PlayStart(clip, QStringLiteral("avi"), SizeMenuIndex::Fit);
        guard.start(5000);
        if (loop.exec() != 0) {
            state.SkipWithError("the pane did not report the file");
            return;
        }
        const double ms = MsSince(t0);
        state.SetIterationTime(ms / 1000.0);
        mean.add(ms);
        guard.stop();
        movie.PlayStop();
        // Let the closed file's events drain, as the bare loop waits for idle.
        QEventLoop settle;
        QTimer::singleShot(20, &settle, &QEventLoop::quit);
        settle.exec();
    }
}

void PrintRatios(const Mean& bare, const Mean& toNewStream, const Mean& toFirstFrame) {
    if (bare.count && toFirstFrame.count) {
        std::printf("\nbare loadfile -> playback-restart: %.2f ms\n", bare.value());
        std::printf("wrapper PlayStart -> NewStream:    %.2f ms\n", toNewStream.value());
        std::printf("wrapper PlayStart -> first frame:  %.2f ms (%.2fx the bare program)\n",
                    toFirstFrame.value(), toFirstFrame.value() / bare.value());
    }
}

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir dir;
    QString clip;
    QByteArray clipBytes;
    Mean bare, toNewStream, toFirstFrame;
    bench::BenchProgram program;
    program.prepare = [&] {
        clip = bench::MakeClip(dir.filePath(QStringLiteral("clip.avi")), 0.5, 160, 120);
        if (clip.isEmpty())
            return false;
        clipBytes = QFile::encodeName(clip);
        benchmark::RegisterBenchmark("BareMpv_LoadToPlaybackRestart",
                                     [&](benchmark::State& s) { BareMpv(s, clipBytes, bare); })
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(
            "Wrapper_PlayStartToNewStream",
            [&](benchmark::State& s) { Wrapper(s, clip, Until::NewStream, toNewStream); })
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(
            "Wrapper_PlayStartToFirstFrame",
            [&](benchmark::State& s) { Wrapper(s, clip, Until::FirstFrame, toFirstFrame); })
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
        return true;
    };
    program.summary = [&](const bench::BenchTimes&) { PrintRatios(bare, toNewStream, toFirstFrame); };
    return bench::RunBenchmarks(argc, argv, program);
}
