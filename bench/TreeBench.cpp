// Opening a folder of thousands of subfolders in the tree: the scan of one folder, and an
// expansion, which reads the folder and every one of its subfolders (one level ahead) and puts
// the nodes in caption order.

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

namespace {

using namespace tobimaru;

constexpr int kFolders = 5000;
constexpr int kFilesPerFolder = 4;

// 5,000 folders, each holding two folders and four files, and 20,000 files beside them. Made
// once and kept in the temp folder between runs.
QString BenchFolder() {
    const QString folder = QDir::tempPath() + QStringLiteral("/tobimaru-bench-tree-5k");
    const QString ready = folder + QStringLiteral(".ready");
    if (QFile::exists(ready))
        return folder;
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    for (int i = 0; i < kFolders; ++i) {
        const QString sub = folder + QStringLiteral("/Folder %1").arg((i * 7919) % kFolders);
        QDir().mkpath(sub + QStringLiteral("/a"));
        QDir().mkpath(sub + QStringLiteral("/B"));
        for (int f = 0; f < kFilesPerFolder; ++f) {
            QFile(sub + QStringLiteral("/clip%1.avi").arg(f)).open(QIODevice::WriteOnly);
            QFile(folder + QStringLiteral("/file%1-%2.mpg").arg(i).arg(f)).open(QIODevice::WriteOnly);
        }
    }
    QFile(ready).open(QIODevice::WriteOnly);
    return folder;
}

DriveModel BenchDrives(const QString& folder) {
    DriveEnvironment env;
    env.probe = [](const QString&) { return true; };
    return DriveModel(
        {MountEntry{QStringLiteral("/"), QStringLiteral("ext4"), QStringLiteral("/dev/x0"), {}, {}},
         MountEntry{folder, QStringLiteral("ext4"), QStringLiteral("/dev/x1"), {}, {}}},
        env);
}

void BM_ScanSubfolders(benchmark::State& state) {
    const QString folder = BenchFolder();
    for (auto _ : state) {
        const auto entries = ScanSubfolders(folder, ListOptions{});
        benchmark::DoNotOptimize(entries.data());
    }
}

// BuildDriveTree reads the root; opening the root reads it again and each of its 5,000 folders.
void BM_BuildAndOpenRoot(benchmark::State& state) {
    const QString folder = BenchFolder();
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
    ctx.drives = [folder] { return BenchDrives(folder); };
    FolderTree folders(ctx);
    tree.resize(300, 600);
    tree.show();
    for (auto _ : state) {
        folders.BuildDriveTree(folder);
        folders.SelectTreePath(folder, folder, true);
        QApplication::processEvents();
        if (folders.RootNode()->childCount() != kFolders)
            state.SkipWithError("not every folder is in the tree");
    }
}

} // namespace

BENCHMARK(BM_ScanSubfolders)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BuildAndOpenRoot)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
    bench::UseOffscreenUnlessSet();
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
