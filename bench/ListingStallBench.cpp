// The longest the window goes without running its timers while a folder of a million files
// (300,000 listed) is listed in a shown list and a clip plays: a timer ticking every 2 ms on the
// user-interface thread records the longest gap between two of its ticks, from the call of
// ListFolder until the list has been painted. The folder is read, sorted and indexed on a
// worker; what the window does itself is swapping the rows in, the view's layout, fitting the
// columns and the paint.

#include "BenchSupport.h"
#include "ListingFixture.h"
#include "base/Prompts.h"
#include "browse/FileIcons.h"
#include "browse/FileListModel.h"
#include "browse/FileListView.h"
#include "browse/FolderListing.h"
#include "platform/ShellOpen.h"
#include "platform/Worker.h"
#include "playback/MediaPlayer.h"
#include "playback/clsMovie.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <clocale>
#include <cstdio>

namespace {

using namespace tobimaru;

// The longest gap between the ticks of a fast timer on this thread while it runs.
class GapWatch final {
public:
    GapWatch() {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(2);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            m_longest = std::max(m_longest, now - m_last);
            m_last = now;
        });
    }
    void start() {
        m_longest = 0;
        m_clock.start();
        m_last = 0;
        m_timer.start();
    }
    /// Milliseconds; the gap up to now counts too.
    double stop() {
        m_longest = std::max(m_longest, m_clock.nsecsElapsed() - m_last);
        m_timer.stop();
        return double(m_longest) / 1e6;
    }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

// Runs the event loop for a while, so that the ticks after the last paint are seen.
void Settle(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void ListingStall(benchmark::State& state, const QString& clip) {
    const QString folder = bench::ListingFolder(int(state.range(0)));
    const bool playing = state.range(1) != 0;
    ListOptions options;
    options.ListPattern = QString::fromLatin1(bench::kListingPatterns);

    PlayerOptions playerOptions;
    playerOptions.output = PlayerOutput::NoVideo;
    playerOptions.audioOutput = "null";
    playerOptions.mpvOptions = {{"loop-file", "inf"}};
    MediaPlayer player(nullptr, playerOptions);
    bench::SilentPrompts prompts;
    // Nothing the benchmark plays goes to the desktop.
    DesktopShellOpener opener([](const QUrl&) { return true; });
    clsMovie movie(player, prompts, opener);
    if (playing) {
        movie.PlayStart(clip, QStringLiteral("avi"), SizeMenuIndex::Fit);
        for (int i = 0; i < 100 && player.PlayState() != MediaPlayer::Playing; ++i)
            Settle(20);
        if (player.PlayState() != MediaPlayer::Playing) {
            state.SkipWithError("the clip does not play");
            return;
        }
    }

    FileIcons images;
    QTreeView view;
    view.resize(420, 700);
    FileListView list(&view, images, prompts);
    view.show();
    Settle(50);
    GapWatch watch;
    double worst = 0;
    for (auto _ : state) {
        watch.start();
        list.ListFolder(folder, false, options);
        view.repaint();
        Settle(20);
        const double gap = watch.stop();
        worst = std::max(worst, gap);
        state.counters["longestGapMs"] = gap;
        state.counters["rows"] = list.model()->rowCount();
    }
    state.counters["worstGapMs"] = worst;
    if (playing && player.PlayState() != MediaPlayer::Playing)
        state.SkipWithError("the clip stopped");
    movie.PlayStop();
    WaitForAside();
}

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir dir;
    QString clip;
    bench::BenchProgram program;
    program.prepare = [&] {
        clip = bench::MakeClip(dir.filePath(QStringLiteral("clip.avi")), 10, 320, 240);
        if (clip.isEmpty())
            return false;
        benchmark::RegisterBenchmark("BM_ListingStall", [&](benchmark::State& s) { ListingStall(s, clip); })
            ->Args({100000, 1})
            ->Args({1000000, 0})
            ->Args({1000000, 1})
            ->ArgNames({"files", "playing"})
            ->Iterations(5)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        return true;
    };
    return bench::RunBenchmarks(argc, argv, program);
}
