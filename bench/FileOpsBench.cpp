// The file operations' two costs a user waits for.
//
// 1. Deleting 1,000 selected rows of a 100,000-row list: the trash calls run untimed; what is
//    timed is the list brought in line afterwards (rows removed, selection set, repaint), the
//    part that freezes the window if it is slow. Beside it the same removal one row at a time.
// 2. A cross-device move of a 1 GiB file onto a tmpfs (root only) against `cp` followed by `rm`
//    of the same file, in turns within each round: the move also reads every byte back.

#include "BenchSupport.h"
#include "base/Prompts.h"
#include "browse/FileIcons.h"
#include "browse/FileListModel.h"
#include "browse/FileListView.h"
#include "fileops/FileCommands.h"
#include "fileops/JobControl.h"
#include "fileops/ListSelection.h"
#include "fileops/MoveEngine.h"
#include "fileops/ShellFileOps.h"
#include "platform/Trash.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QItemSelectionModel>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTreeView>
#include <QVBoxLayout>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <sys/mount.h>
#include <unistd.h>

namespace {

using namespace tobimaru;

constexpr int kRows = 100000;
constexpr int kSelected = 1000;
constexpr qint64 kBigFile = qint64(1) << 30;

ListRow Row(int i) {
    ListRow r;
    r.name = QStringLiteral("clip %1.avi").arg(i, 6, 10, QLatin1Char('0'));
    r.extension = QStringLiteral("avi");
    r.size = 1024 * 1024;
    r.modified = 1045008307;
    return r;
}

/// A window with the list, the trash under a temporary data folder and silent prompts.
struct DeleteRig {
    QTemporaryDir dir;
    bench::SilentPrompts prompts;
    FileIcons icons;
    QWidget window;
    QTreeView* view = new QTreeView(&window);
    FileListView list{view, icons, prompts};
    DesktopTrash trash;
    ShellFileOps shell{prompts, trash, &window};
    FileOpsContext context;
    std::unique_ptr<FileCommands> files;

    DeleteRig() {
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath(QStringLiteral("data"))));
        (new QVBoxLayout(&window))->addWidget(view);
        window.resize(800, 600);
        window.show();
        context.window = &window;
        context.list = &list;
        context.prompts = &prompts;
        context.shell = &shell;
        files = std::make_unique<FileCommands>(context);
    }
    /// 100,000 rows, every 100th a real file, those 1,000 selected.
    SelectionRecord fill() {
        ListResult listing;
        listing.folder = dir.path();
        listing.rows.reserve(kRows);
        for (int i = 0; i < kRows; ++i)
            listing.rows.push_back(Row(i));
        for (int i = 0; i < kRows; i += kRows / kSelected)
            QFile(JoinListKey(listing.folder, listing.rows[size_t(i)].name)).open(QIODevice::WriteOnly);
        listing.files = kRows;
        list.ShowListing(std::move(listing), false);
        QItemSelection selection;
        for (int i = 0; i < kRows; i += kRows / kSelected)
            selection.select(list.model()->index(i, 0), list.model()->index(i, 3));
        view->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
        QApplication::processEvents();
        return CollectSelectedRows(view, *list.model());
    }
};

void BM_DeleteThousandOfHundredThousandRows(benchmark::State& state) {
    DeleteRig rig;
    for (auto _ : state) {
        const SelectionRecord record = rig.fill();
        rig.shell.ShellDeleteFiles(record.keys);
        QElapsedTimer clock;
        clock.start();
        rig.files->BringListInLine(record, rig.shell.lastState());
        SelectAfterDelete(rig.view, record.lastIndex);
        rig.window.repaint();
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        if (rig.list.model()->rowCount() != kRows - kSelected)
            state.SkipWithError("the rows did not go");
    }
}

void BM_DeleteThousandRowsOneAtATime(benchmark::State& state) {
    DeleteRig rig;
    for (auto _ : state) {
        const SelectionRecord record = rig.fill();
        QElapsedTimer clock;
        clock.start();
        for (auto it = record.rows.rbegin(); it != record.rows.rend(); ++it)
            rig.list.model()->removeRowsAt({*it});
        SelectAfterDelete(rig.view, record.lastIndex);
        rig.window.repaint();
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
    }
}

/// A 1 GiB file on the disk and a tmpfs to move it to; the file comes back untimed.
class MoveRig {
public:
    MoveRig() {
        m_mount = m_dir.filePath(QStringLiteral("usb"));
        QDir().mkpath(m_mount);
        m_mounted = ::mount("tmpfs", QFile::encodeName(m_mount).constData(), "tmpfs", 0, "size=1200m") == 0;
        m_source = m_dir.filePath(QStringLiteral("movie.bin"));
        QFile f(m_source);
        if (f.open(QIODevice::WriteOnly)) {
            QByteArray block(1 << 20, Qt::Uninitialized);
            for (int i = 0; i < block.size(); ++i)
                block[i] = char(i * 7 + (i >> 11));
            for (qint64 done = 0; done < kBigFile; done += block.size())
                f.write(block);
        }
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("data"))));
    }
    ~MoveRig() {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_mount).constData(), MNT_DETACH);
    }
    bool ready() const { return m_mounted && QFileInfo(m_source).size() == kBigFile; }

    QString source() const { return m_source; }
    QString mount() const { return m_mount; }
    QString moved() const { return m_mount + QStringLiteral("/movie.bin"); }
    /// Puts the file back where it was (a plain copy) and empties the tmpfs.
    void restore() {
        if (!QFile::exists(m_source))
            QProcess::execute(QStringLiteral("cp"), {moved(), m_source});
        QFile::remove(moved());
        // The source is read from the page cache in every round, for the move and for cp alike.
        QFile f(m_source);
        if (f.open(QIODevice::ReadOnly)) {
            QByteArray block(1 << 20, Qt::Uninitialized);
            while (f.read(block.data(), block.size()) > 0) {
            }
        }
    }

private:
    QTemporaryDir m_dir{QDir::tempPath() + QStringLiteral("/tobimaru-bench-move-XXXXXX")};
    QString m_mount;
    QString m_source;
    bool m_mounted = false;
};

MoveRig* g_move = nullptr;

// Each round moves the file with MoveEntries and with cp and rm, in turns, so that both meet
// the same machine; the time is the move's, the counters say both and their ratio.
void BM_MoveOneGiBAgainstCpRm(benchmark::State& state) {
    g_move->restore();
    if (!g_move->ready()) {
        state.SkipWithError("a 1.2 GB tmpfs and the 1 GiB file need root and room");
        return;
    }
    DesktopTrash trash;
    double moveSeconds = 0;
    double cpSeconds = 0;
    for (auto _ : state) {
        g_move->restore();
        QElapsedTimer clock;
        clock.start();
        JobControl job;
        const MoveReport report = MoveEntries({g_move->source()}, g_move->mount(), job, trash);
        const double move = double(clock.nsecsElapsed()) / 1e9;
        state.SetIterationTime(move);
        if (report.result != ShellCode::Done)
            state.SkipWithError(report.failed.join(QStringLiteral("; ")).toUtf8().constData());
        g_move->restore();
        clock.restart();
        QProcess::execute(QStringLiteral("sh"),
                          {QStringLiteral("-c"), QStringLiteral("cp \"$0\" \"$1\" && rm \"$0\""),
                           g_move->source(), g_move->moved()});
        cpSeconds += double(clock.nsecsElapsed()) / 1e9;
        moveSeconds += move;
    }
    const double n = double(state.iterations());
    state.counters["move_ms"] = moveSeconds * 1000 / n;
    state.counters["cp_rm_ms"] = cpSeconds * 1000 / n;
    state.counters["ratio"] = cpSeconds > 0 ? moveSeconds / cpSeconds : 0;
    state.SetBytesProcessed(state.iterations() * kBigFile);
}

BENCHMARK(BM_DeleteThousandOfHundredThousandRows)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(10);
BENCHMARK(BM_DeleteThousandRowsOneAtATime)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(2);
BENCHMARK(BM_MoveOneGiBAgainstCpRm)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(8);

} // namespace

int main(int argc, char** argv) {
    std::optional<MoveRig> move;
    bench::BenchProgram program;
    program.prepare = [&] {
        g_move = &move.emplace();
        return true;
    };
    return bench::RunBenchmarks(argc, argv, program);
}
