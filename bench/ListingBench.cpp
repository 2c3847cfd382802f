// Listing a big folder against the bare cost of reading it: one readdir pass with an fstatat of
// every entry is the floor no listing can beat; ListFolder adds the pattern test, the rows, the
// model's fill and sort and the paint of the view.

#include "BenchSupport.h"
#include "base/Prompts.h"
#include "browse/FileIcons.h"
#include "browse/FileListModel.h"
#include "browse/FileListView.h"
#include "browse/FolderListing.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTreeView>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <memory>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace tobimaru;

constexpr int kFiles = 100000;
const char* const kPatterns = "*.rm;*.ram;*.ra;*.mpeg;*.mpg;*.wmv;*.avi;*.mov;*.dat;*.wav;*.png";

// 100,000 files, 30% of them of the listed types (some with upper-case extensions), the rest of
// look-alike and unrelated types. Made once and kept in the temp folder between runs.
QString BenchFolder() {
    const QString folder = QDir::tempPath() + QStringLiteral("/tobimaru-bench-listing-100k-v2");
    const QString ready = folder + QStringLiteral(".ready");
    if (QFile::exists(ready))
        return folder;
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    const char* media[] = {"rm",  "ram", "ra",  "mpeg", "mpg", "wmv", "avi",
                           "mov", "dat", "wav", "png",  "MPG", "AVI", "Wmv"};
    const char* other[] = {"txt",  "jpg", "mp3", "mpga", "doc", "avix",
                           "html", "ogg", "mkv", "",     "pdf", "m4a"};
    std::mt19937 rng(42);
    const QByteArray base = QFile::encodeName(folder);
    for (int i = 0; i < kFiles; ++i) {
        const bool isMedia = (i % 10) < 3;
        const char* ext = isMedia ? media[rng() % std::size(media)] : other[rng() % std::size(other)];
        // Unique names whose order on disk has nothing to do with their number.
        const char* words[] = {"clip", "Movie", "holiday", "test", "TV", "rec"};
        char name[64];
        std::snprintf(name, sizeof name, "/%s %06u-%06d%s%s", words[rng() % std::size(words)],
                      unsigned(rng() % 1000000), i, *ext ? "." : "", ext);
        const QByteArray path = base + name;
        const int fd = ::open(path.constData(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        if (fd < 0)
            continue;
        // Sparse: sizes up to 2 GB cost no disk.
        if (::ftruncate(fd, off_t(rng() % 2000000000u)) != 0)
            std::perror("ftruncate");
        ::close(fd);
    }
    QFile marker(ready);
    marker.open(QIODevice::WriteOnly);
    return folder;
}

void BM_ReaddirStatFloor(benchmark::State& state) {
    const QByteArray folder = QFile::encodeName(BenchFolder());
    for (auto _ : state) {
        DIR* dir = ::opendir(folder.constData());
        const int fd = ::dirfd(dir);
        long long total = 0;
        int entries = 0;
        while (const dirent* d = ::readdir(dir)) {
            if (d->d_name[0] == '.' && (!d->d_name[1] || (d->d_name[1] == '.' && !d->d_name[2])))
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

void BM_ListFolderRows(benchmark::State& state) {
    const QString folder = BenchFolder();
    ListOptions options;
    options.ListPattern = QString::fromLatin1(kPatterns);
    for (auto _ : state) {
        ListResult result = ListFolderRows(folder, options);
        state.counters["rows"] = double(result.rows.size());
        benchmark::DoNotOptimize(result);
    }
}

// The whole ListFolder: listing, icons (when the argument says so), model fill and sort, the
// first row selected, columns fitted, and the view painted.
void BM_ListFolder(benchmark::State& state) {
    const QString folder = BenchFolder();
    ListOptions options;
    options.ListPattern = QString::fromLatin1(kPatterns);
    const bool icons = state.range(0) != 0;
    bench::SilentPrompts prompts;
    FileIcons images;
    QTreeView view;
    view.resize(420, 700);
    FileListView list(&view, images, prompts);
    view.show();
    QApplication::processEvents();
    for (auto _ : state) {
        list.ListFolder(folder, icons, options);
        const QPixmap shot = view.grab();
        benchmark::DoNotOptimize(shot);
        state.counters["rows"] = list.model()->rowCount();
    }
}

std::vector<ListRow> HundredThousandRows() {
    std::vector<ListRow> rows;
    std::mt19937 rng(7);
    for (int i = 0; i < 100000; ++i) {
        ListRow r;
        r.name = QStringLiteral("Movie %1.mpg").arg(rng() % 1000000);
        r.key = QStringLiteral("/media/clips/") + r.name;
        r.extension = QStringLiteral("mpg");
        r.sizeText = QStringLiteral("%1").arg(QString::number(rng() % 2000000), 10);
        r.timeText = QStringLiteral("2023/05/%1 12:00:00").arg(rng() % 28 + 1, 2, 10, QLatin1Char('0'));
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
        result.rows = rows;
        result.files = qint64(rows.size());
        state.ResumeTiming();
        if (stage == 0) {
            list.model()->setRows(std::move(result.rows));
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
}

BENCHMARK(BM_ReaddirStatFloor)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ListFolderRows)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ListFolder)->Arg(0)->Arg(1)->ArgName("icons")->Unit(benchmark::kMillisecond)->UseRealTime();
// 0: model fill and sort only; 1: + selection and fitted columns in the view; 2: + a header
// click; 3: + a paint.
BENCHMARK(BM_Model100k)->DenseRange(0, 3)->ArgName("stage")->Unit(benchmark::kMillisecond)->UseRealTime();

// Prints the console report and, at the end, how ListFolder compares with the floor.
class RatioReporter final : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration || run.aggregate_name == "median")
                m_times[run.run_name.str()] = run.GetAdjustedRealTime();
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        double floor = 0;
        for (const auto& [name, time] : m_times)
            if (name.rfind("BM_ReaddirStatFloor", 0) == 0)
                floor = time;
        if (floor <= 0)
            return;
        for (const auto& [name, time] : m_times)
            if (name.rfind("BM_ListFolder", 0) == 0)
                std::printf("%-40s %8.2f ms  = %.2f x floor (%.2f ms)\n", name.c_str(), time, time / floor,
                            floor);
    }

private:
    std::map<std::string, double> m_times;
};

} // namespace

int main(int argc, char** argv) {
    bench::UseOffscreenUnlessSet();
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
