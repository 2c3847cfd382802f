// The switch to the next row on a player that is already playing: from the end-of-file handler
// (what EndOfStream runs) or SetPlaybotton(PlayStep::Down) to the pane's NewStream for the next file. The
// synchronous part (marks, selection, the wrapper's checks, loadfile) is timed apart from the
// whole, so a slow figure says whether it is ours or mpv's opening of the file.

#include "BenchSupport.h"
#include "base/Prompts.h"
#include "base/RuntimeSettings.h"
#include "base/WindowCaption.h"
#include "browse/FileIcons.h"
#include "browse/FileListModel.h"
#include "browse/FileListView.h"
#include "platform/ShellOpen.h"
#include "playback/ContinuousPlay.h"
#include "playback/MediaPlayer.h"
#include "playback/PlaybackSubsystem.h"
#include "playback/clsMovie.h"
#include "ui/Toolbar.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <benchmark/benchmark.h>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <memory>

namespace {

using namespace tobimaru;
using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

/// The playback subsystem of the main window around a quiet player, the list filled with
/// `folder`.
struct Window {
    explicit Window(const QString& folder) {
        auto* toolbar = new Toolbar(new QToolBar(&window));
        list = new QTreeView(&window);
        PlayerOptions options;
        options.output = PlayerOutput::NoVideo;
        options.audioOutput = "null";
        player = new MediaPlayer(&window, options);
        listView = std::make_unique<FileListView>(list, icons, prompts);
        caption.setBase(QStringLiteral("TobimaruMe Ver1.0.1"));
        PlaybackWiring wiring;
        wiring.ListView1 = list;
        wiring.model = listView->model();
        wiring.player = player;
        wiring.window = &window;
        wiring.caption = &caption;
        wiring.timer1 = &timer1;
        wiring.speedSlider = toolbar->slider();
        wiring.icons = &icons;
        wiring.prompts = &prompts;
        wiring.opener = &opener;
        wiring.settings = &settings;
        playback = std::make_unique<PlaybackSubsystem>(wiring);
        play = &playback->play();
        ListOptions listOptions;
        listOptions.ListPattern = QStringLiteral("*.avi");
        listView->ListFolder(folder, false, listOptions);
    }
    ~Window() { playback->movie().PlayStop(); }

    QWidget window;
    QTreeView* list = nullptr;
    MediaPlayer* player = nullptr;
    FileIcons icons;
    bench::SilentPrompts prompts;
    DesktopShellOpener opener{[](const QUrl&) { return true; }}; // nothing goes to the desktop
    QTimer timer1;
    RuntimeSettings settings;
    WindowCaption caption;
    std::unique_ptr<FileListView> listView;
    std::unique_ptr<PlaybackSubsystem> playback;
    ContinuousPlay* play = nullptr;
};

enum class Trigger { EndOfFile, NextButton };

/// Waits for the pane's next NewStream; false after 5 s.
bool WaitNewStream(MediaPlayer& player) {
    QEventLoop loop;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, &loop, [&] { loop.exit(1); });
    QObject::connect(&player, &MediaPlayer::NewStream, &loop, [&] { loop.exit(0); });
    guard.start(5000);
    return loop.exec() == 0;
}

void Switch(benchmark::State& state, const QString& folder, Trigger trigger) {
    Window w(folder);
    w.play->SetPlaybotton(PlayStep::Selected);
    if (!WaitNewStream(*w.player)) {
        state.SkipWithError("the first file did not open");
        return;
    }
    double syncMs = 0;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        if (trigger == Trigger::EndOfFile)
            w.play->EndOfFile(0);
        else
            w.play->SetPlaybotton(PlayStep::Down);
        syncMs += MsSince(t0);
        if (!WaitNewStream(*w.player)) {
            state.SkipWithError("the next file did not open");
            return;
        }
        state.SetIterationTime(MsSince(t0) / 1000.0);
    }
    state.counters["sync_ms"] = benchmark::Counter(syncMs / double(state.iterations()));
}

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir dir;
    const QString folder = dir.path();
    bench::BenchProgram program;
    program.prepare = [&] {
        // Ten rows of a 10 s clip: the playing file never ends by itself during a round.
        const QString clip = bench::MakeClip(dir.filePath(QStringLiteral("00.avi")), 10.0, 320, 240);
        if (clip.isEmpty())
            return false;
        for (int i = 1; i < 10; ++i)
            QFile::copy(clip, dir.filePath(QStringLiteral("%1.avi").arg(i, 2, 10, QLatin1Char('0'))));
        benchmark::RegisterBenchmark("EndOfFileToNextNewStream",
                                     [&](benchmark::State& s) { Switch(s, folder, Trigger::EndOfFile); })
            ->UseManualTime()
            ->Iterations(60)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("SetPlaybottonNextToNewStream",
                                     [&](benchmark::State& s) { Switch(s, folder, Trigger::NextButton); })
            ->UseManualTime()
            ->Iterations(60)
            ->Unit(benchmark::kMillisecond);
        return true;
    };
    return bench::RunBenchmarks(argc, argv, program);
}
