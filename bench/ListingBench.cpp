// Listing a big folder against the bare cost of reading it: one readdir pass with an fstatat of
// each entry of a listed type (told by its extension's bytes, the cheapest test there is) is the
// floor a listing on one thread cannot beat. ListFolder adds the rows, the sort, the index by
// name, the model's fill, the view's layout, the fitted columns and a paint.

#include "BenchSupport.h"
#include "ListingFixture.h"
#include "base/Prompts.h"
#include "browse/FileIcons.h"
#include "browse/FileListModel.h"
#include "browse/FileListView.h"
#include "browse/FolderListing.h"
#include "platform/Worker.h"

#include <QApplication>
#include <QFile>
#include <QTreeView>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <malloc.h>
#include <map>
#include <memory>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace tobimaru;

ListOptions Options() {
    ListOptions options;
    options.ListPattern = QString::fromLatin1(bench::kListingPatterns);
    return options;
}

void BM_ReaddirStatFloor(benchmark::State& state) {
    const QByteArray folder = QFile::encodeName(bench::ListingFolder(int(state.range(0))));
    for (auto _ : state) {
        DIR* dir = ::opendir(folder.constData());
        const int fd = ::dirfd(dir);
        long long total = 0;
        int entries = 0;
        while (const dirent* d = ::readdir(dir)) {
            if (!bench::MatchesListedExtension(d->d_name))
                continue;
            struct stat st {};
            if (::fstatat(fd, d->d_name, &st, 0) == 0)
                total += st.st_size;
            ++entries;
        }
        ::closedir(dir);
        benchmark::DoNotOptimize(total);
        state.counters["entries"] = entries;
    }
}

// What the worker does: the read, then the sort and the index.
void BM_ListFolderRows(benchmark::State& state) {
    const QString folder = bench::ListingFolder(int(state.range(0)));
    const bool prepare = state.range(1) != 0;
    for (auto _ : state) {
        ListResult result = ListFolderRows(folder, Options());
        if (prepare)
            PrepareListing(result, NameColumn, false);
        state.counters["rows"] = double(result.rows.size());
        state.PauseTiming();
        result = ListResult(); // freeing a million names is not the read's work
        state.ResumeTiming();
    }
}

// The whole ListFolder: listing, icons (when the argument says so), sort, model fill, the first
// row selected, columns fitted, and the view painted.
void BM_ListFolder(benchmark::State& state) {
    const QString folder = bench::ListingFolder(int(state.range(0)));
    const bool icons = state.range(1) != 0;
    bench::SilentPrompts prompts;
    FileIcons images;
    QTreeView view;
    view.resize(420, 700);
    FileListView list(&view, images, prompts);
    view.show();
    QApplication::processEvents();
    for (auto _ : state) {
        list.ListFolder(folder, icons, Options());
        const QPixmap shot = view.grab();
        benchmark::DoNotOptimize(shot);
        state.counters["rows"] = list.model()->rowCount();
    }
    // The last rows are freed with the list, not in another benchmark's time.
    WaitForAside();
}

size_t HeapInUse() {
    const struct mallinfo2 m = ::mallinfo2();
    return m.uordblks + m.hblkhd;
}

// Heap per listed row, all told: the rows with their names, the order vectors, the index, and
// the view's own record of every row, with the list shown and painted.
void BM_RowMemory(benchmark::State& state) {
    const QString folder = bench::ListingFolder(int(state.range(0)));
    bench::SilentPrompts prompts;
    FileIcons images;
    for (auto _ : state) {
        WaitForAside();
        const size_t start = HeapInUse();
        double rows = 0;
        size_t listed = 0;
        {
            ListResult result = ListFolderRows(folder, Options());
            PrepareListing(result, NameColumn, false);
            listed = HeapInUse() - start;
            rows = double(result.rows.size());
        }
        WaitForAside();
        auto view = std::make_unique<QTreeView>();
        view->resize(420, 700);
        FileListView list(view.get(), images, prompts);
        view->show();
        QApplication::processEvents();
        const size_t empty = HeapInUse();
        list.ListFolder(folder, false, Options());
        const QPixmap shot = view->grab();
        QApplication::processEvents();
        WaitForAside();
        const size_t shown = HeapInUse();
        state.counters["rows"] = rows;
        state.counters["bytesPerRow"] = double(shown - empty) / rows;
        state.counters["listingPerRow"] = double(listed) / rows;
        state.counters["viewPerRow"] = double(shown - empty - listed) / rows;
    }
}

std::vector<ListRow> HundredThousandRows() {
    std::vector<ListRow> rows;
    std::mt19937 rng(7);
    const QString extension = QStringLiteral("mpg");
    for (int i = 0; i < 100000; ++i) {
        ListRow r;
        r.name = QStringLiteral("Movie %1.mpg").arg(rng() % 1000000);
        r.extension = extension;
        r.size = qint64(rng() % 2000000000u);
        r.modified = 1683000000 + qint64(rng() % (28 * 86400));
        rows.push_back(r);
    }
    return rows;
}

// The model alone with 100,000 rows: fill (sorted by name), then a header click (sort by size,
// as text), then a paint of the view; range(0) picks how much of that is timed.
void BM_Model100k(benchmark::State& state) {
    const std::vector<ListRow> rows = HundredThousandRows();
    bench::SilentPrompts prompts;
    FileIcons images;
    QTreeView view;
    view.resize(420, 700);
    FileListView list(&view, images, prompts);
    view.show();
    QApplication::processEvents();
    const int stage = int(state.range(0));
    for (auto _ : state) {
        ListResult result;
        state.PauseTiming();
        result.folder = QStringLiteral("/media/clips");
        result.rows = rows;
        result.files = qint64(rows.size());
        state.ResumeTiming();
        if (stage == 0) {
            list.model()->setRows(result.folder, std::move(result.rows));
            continue;
        }
        list.ShowListing(std::move(result), false);
        if (stage >= 2)
            list.model()->ColumnClick(FileListModel::SizeColumn);
        if (stage >= 3) {
            const QPixmap shot = view.grab();
            benchmark::DoNotOptimize(shot);
        }
    }
    WaitForAside();
}

constexpr int k100k = 100000;
constexpr int k1M = 1000000;

BENCHMARK(BM_ReaddirStatFloor)
    ->Arg(k100k)
    ->Arg(k1M)
    ->ArgName("files")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_ListFolderRows)
    ->Args({k100k, 0})
    ->Args({k100k, 1})
    ->Args({k1M, 0})
    ->Args({k1M, 1})
    ->ArgNames({"files", "sorted"})
    ->MinWarmUpTime(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_ListFolder)
    ->Args({k100k, 0})
    ->Args({k100k, 1})
    ->Args({k1M, 0})
    ->ArgNames({"files", "icons"})
    ->MinWarmUpTime(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_RowMemory)->Arg(k100k)->Arg(k1M)->ArgName("files")->Iterations(1)->Unit(benchmark::kMillisecond);
// 0: model fill and sort only; 1: + selection and fitted columns in the view; 2: + a header
// click; 3: + a paint.
BENCHMARK(BM_Model100k)->DenseRange(0, 3)->ArgName("stage")->Unit(benchmark::kMillisecond)->UseRealTime();

// The part of a run name that says which folder it read ("files:100000").
std::string FilesOf(const std::string& name) {
    const size_t at = name.find("files:");
    if (at == std::string::npos)
        return {};
    return name.substr(at, name.find('/', at) - at);
}

} // namespace

// The summary: how ListFolder compares with the floor of the same folder.
int main(int argc, char** argv) {
    bench::BenchProgram program;
    program.summary = [](const bench::BenchTimes& times) {
        std::map<std::string, double> floors;
        for (const auto& [name, time] : times)
            if (name.rfind("BM_ReaddirStatFloor", 0) == 0)
                floors[FilesOf(name)] = time;
        for (const auto& [name, time] : times) {
            if (name.rfind("BM_ListFolder", 0) != 0)
                continue;
            const auto floor = floors.find(FilesOf(name));
            if (floor != floors.end() && floor->second > 0)
                std::printf("%-48s %9.2f ms  = %.2f x floor (%.2f ms)\n", name.c_str(), time,
                            time / floor->second, floor->second);
        }
    };
    return bench::RunBenchmarks(argc, argv, program);
}
