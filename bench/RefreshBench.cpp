// F5 on a folder of 100,000 files against listing it alone: the refresh keeps the tree and reads
// only the current node again, so it should cost the listing and little more.

#include "BenchSupport.h"
#include "base/RuntimeSettings.h"
#include "browse/FileIcons.h"
#include "browse/FileListModel.h"
#include "browse/FileListView.h"
#include "browse/FolderTree.h"
#include "browse/Navigation.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTreeView>
#include <QTreeWidget>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <fcntl.h>
#include <map>
#include <unistd.h>

namespace {

using namespace tobimaru;

const char* const kPatterns = "*.avi;*.mpg;*.wmv";

// 100,000 files, 30% of them of the listed types, and a few folders. Made once and kept.
QString BenchFolder() {
    const QString folder = QDir::tempPath() + QStringLiteral("/tobimaru-bench-refresh-100k");
    const QString ready = folder + QStringLiteral(".ready");
    if (QFile::exists(ready))
        return folder;
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    const QByteArray base = QFile::encodeName(folder);
    const char* exts[] = {"avi", "mpg", "wmv", "txt", "jpg", "mp3", "doc", "html", "pdf", "ogg"};
    for (int i = 0; i < 100000; ++i) {
        const QByteArray path =
            base + "/clip " + QByteArray::number((i * 7919) % 100000) + "." + exts[i % 10];
        bench::TouchFile(path);
    }
    for (int i = 0; i < 20; ++i)
        QDir().mkpath(folder + QStringLiteral("/sub%1/inner").arg(i));
    QFile(ready).open(QIODevice::WriteOnly);
    return folder;
}

// The window's browsing parts over the folder, as the main window wires them.
struct Browser {
    explicit Browser(const QString& folder)
        : list(&listView, icons, prompts) {
        options.ListPattern = QString::fromLatin1(kPatterns);
        FolderTreeContext tc;
        tc.tree = &treeWidget;
        tc.address = &box;
        tc.icons = &icons;
        tc.iconSet = ChooseIconSet(QString());
        tc.prompts = &prompts;
        tc.settings = &settings;
        tc.drives = [folder] { return bench::BenchDrives(folder); };
        tc.listFolder = [this](const QString& f) { list.ListFolder(f, false, options); };
        tree = std::make_unique<FolderTree>(tc);
        NavigationContext nc;
        nc.tree = tree.get();
        nc.address = &box;
        nc.prompts = &prompts;
        nc.settings = &settings;
        nc.drives = tc.drives;
        nc.listFolder = tc.listFolder;
        nav = std::make_unique<Navigation>(nc);
        listView.resize(420, 700);
        treeWidget.resize(300, 700);
        listView.show();
        treeWidget.show();
        tree->FillAddressCombo(bench::BenchDrives(folder));
        nav->GoToPath(folder, true);
        QApplication::processEvents();
    }

    bench::SilentPrompts prompts;
    FileIcons icons;
    RuntimeSettings settings;
    ListOptions options;
    QTreeView listView;
    QTreeWidget treeWidget;
    QComboBox box;
    FileListView list;
    std::unique_ptr<FolderTree> tree;
    std::unique_ptr<Navigation> nav;
};

void BM_ListAlone(benchmark::State& state) {
    const QString folder = BenchFolder();
    Browser b(folder);
    for (auto _ : state) {
        b.list.ListFolder(folder, false, b.options);
        const QPixmap shot = b.listView.grab();
        benchmark::DoNotOptimize(shot);
    }
}

void BM_Refresh(benchmark::State& state) {
    const QString folder = BenchFolder();
    Browser b(folder);
    for (auto _ : state) {
        b.nav->Listkousin_Click();
        const QPixmap shot = b.listView.grab();
        benchmark::DoNotOptimize(shot);
        if (b.list.model()->rowCount() != 30000)
            state.SkipWithError("the refresh did not list the folder");
    }
}

} // namespace

BENCHMARK(BM_ListAlone)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Refresh)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
    bench::BenchProgram program;
    program.summary = [](const bench::BenchTimes& times) {
        const auto alone = times.find("BM_ListAlone"), refresh = times.find("BM_Refresh");
        if (alone != times.end() && refresh != times.end() && alone->second > 0)
            std::printf("F5 %.2f ms = %.2f x the listing alone (%.2f ms)\n", refresh->second,
                        refresh->second / alone->second, alone->second);
    };
    return bench::RunBenchmarks(argc, argv, program);
}
