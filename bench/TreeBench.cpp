// Opening a folder of thousands of subfolders in the tree against the reads it needs, at two
// sizes a tenth apart: the time must grow with the folders, not faster.

#include "BenchSupport.h"
#include "base/Prompts.h"
#include "base/RuntimeSettings.h"
#include "browse/FileIcons.h"
#include "browse/FolderTree.h"
#include "browse/SubfolderScan.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTreeWidget>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace tobimaru;

// `count` folders, each holding a folder and a file, and as many files beside them. Made once
// and kept in the temp folder between runs.
QString BenchFolder(int count) {
    const QString folder = QDir::tempPath() + QStringLiteral("/tobimaru-bench-tree-v2-%1").arg(count);
    const QString ready = folder + QStringLiteral(".ready");
    if (QFile::exists(ready))
        return folder;
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    const QByteArray base = QFile::encodeName(folder);
    for (int i = 0; i < count; ++i) {
        const QByteArray sub = base + "/Folder " + QByteArray::number((i * 7919) % count);
        ::mkdir(sub.constData(), 0755);
        ::mkdir((sub + "/a").constData(), 0755);
        bench::TouchFile(sub + "/clip.avi");
        bench::TouchFile(base + "/file" + QByteArray::number(i) + ".mpg");
    }
    QFile(ready).open(QIODevice::WriteOnly);
    return folder;
}

// The reads opening the folder needs, on one thread: the folder itself, a stat of each folder
// in it (its mode decides whether it is shown), and each of them read up to its first folder.
void BM_ReadsFloor(benchmark::State& state) {
    const QByteArray folder = QFile::encodeName(BenchFolder(int(state.range(0))));
    for (auto _ : state) {
        DIR* dir = ::opendir(folder.constData());
        const int fd = ::dirfd(dir);
        int withFolders = 0;
        while (const dirent* d = ::readdir(dir)) {
            if (d->d_type != DT_DIR || d->d_name[0] == '.')
                continue;
            struct stat st {};
            ::fstatat(fd, d->d_name, &st, 0);
            const int subFd = ::openat(fd, d->d_name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            DIR* sub = ::fdopendir(subFd);
            while (const dirent* e = ::readdir(sub)) {
                if (e->d_type == DT_DIR && e->d_name[0] != '.') {
                    ++withFolders;
                    break;
                }
            }
            ::closedir(sub);
        }
        ::closedir(dir);
        benchmark::DoNotOptimize(withFolders);
    }
}

// BuildDriveTree reads the folder and looks into each of its folders; the root then opens and the
// view lays the nodes out and paints.
void BM_OpenFolder(benchmark::State& state) {
    const int count = int(state.range(0));
    const QString folder = BenchFolder(count);
    bench::SilentPrompts prompts;
    FileIcons icons;
    RuntimeSettings settings;
    QTreeWidget tree;
    QComboBox box;
    FolderTreeContext ctx;
    ctx.tree = &tree;
    ctx.address = &box;
    ctx.icons = &icons;
    ctx.iconSet = ChooseIconSet(QString());
    ctx.prompts = &prompts;
    ctx.settings = &settings;
    ctx.drives = [folder] { return bench::BenchDrives(folder); };
    FolderTree folders(ctx);
    tree.resize(300, 600);
    tree.show();
    for (auto _ : state) {
        folders.BuildDriveTree(folder);
        folders.SelectTreePath(folder, folder, true);
        const QPixmap shot = tree.grab();
        benchmark::DoNotOptimize(shot);
        if (folders.RootNode()->childCount() != count)
            state.SkipWithError("not every folder is in the tree");
    }
}

} // namespace

// A single second-long run of the big folder is at the mercy of one page-cache hiccup.
BENCHMARK(BM_ReadsFloor)->Arg(5000)->Arg(50000)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);
BENCHMARK(BM_OpenFolder)->Arg(5000)->Arg(50000)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

// The summary: each opening against its reads, and against a tenth as many folders.
int main(int argc, char** argv) {
    bench::BenchProgram program;
    program.summary = [](const bench::BenchTimes& times) {
        const auto at = [&times](const std::string& name) {
            const auto it = times.find(name + "/min_time:3.000");
            return it == times.end() ? 0.0 : it->second;
        };
        for (const int n : {5000, 50000}) {
            const double open = at("BM_OpenFolder/" + std::to_string(n));
            const double floor = at("BM_ReadsFloor/" + std::to_string(n));
            if (open > 0 && floor > 0)
                std::printf("open %6d folders %8.2f ms = %.2f x its reads (%.2f ms)\n", n, open, open / floor,
                            floor);
        }
        // The reads themselves need not grow linearly (caches the file system outgrows), so
        // their own growth is printed beside ours.
        const double small = at("BM_OpenFolder/5000"), big = at("BM_OpenFolder/50000");
        const double smallReads = at("BM_ReadsFloor/5000"), bigReads = at("BM_ReadsFloor/50000");
        if (small > 0 && big > 0 && smallReads > 0 && bigReads > 0)
            std::printf("10x the folders: %.2f x the time (the reads alone: %.2f x)\n", big / small,
                        bigReads / smallReads);
    };
    return bench::RunBenchmarks(argc, argv, program);
}
