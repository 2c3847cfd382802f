// Reads of a slow share against the bare cost of the same calls kept in flight side by side.
// bench/shares.sh makes the folders, mounts them through tests/support/hanging_fuse.py as slow shares
// (every getattr and readdir answered after a delay, no attribute caching) once with typed and once
// with typeless directory entries, runs this program, and unmounts them.
//
// The floors: the stats a listing cannot do without, 16 in flight on threads and, to compare,
// in flight through io_uring (IORING_OP_STATX); the reads of a tree level's expand marks, 16 in
// flight. Counters give the calls the share saw per entry, from the file system's call log.

#include "BenchSupport.h"
#include "base/SideBySide.h"
#include "browse/DirectoryRead.h"
#include "browse/Drives.h"
#include "browse/FolderListing.h"
#include "browse/SubfolderScan.h"

#include <QFile>
#include <QString>
#include <atomic>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <liburing.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace tobimaru;

constexpr int kFloorLanes = 16;

enum Share : int64_t { Typed = 0, Typeless = 1 };

QString MountOf(int64_t share) {
    return QString::fromLocal8Bit(
        std::getenv(share == Typed ? "TOBIMARU_SHARE_TYPED" : "TOBIMARU_SHARE_TYPELESS"));
}

std::string LogOf(int64_t share) {
    const char* log =
        std::getenv(share == Typed ? "TOBIMARU_SHARE_TYPED_LOG" : "TOBIMARU_SHARE_TYPELESS_LOG");
    return log ? log : "";
}

bool Ready(benchmark::State& state, int64_t share) {
    if (MountOf(share).isEmpty()) {
        state.SkipWithError("run by bench/shares.sh, which mounts the shares");
        return false;
    }
    return true;
}

ListOptions Options() {
    ListOptions options;
    options.ListPattern = QStringLiteral("*.avi;*.mpg;*.wmv");
    return options;
}

bool Listed(const char* name) {
    const size_t n = std::strlen(name);
    return n > 4 && (std::strcmp(name + n - 4, ".avi") == 0 || std::strcmp(name + n - 4, ".mpg") == 0 ||
                     std::strcmp(name + n - 4, ".wmv") == 0);
}

// The call log from now on: its lines are counted after the timed work.
void ClearLog(int64_t share) {
    std::ofstream(LogOf(share), std::ios::trunc);
}

// getattr calls the share answered for entries right under `folder` ("/big/"), per entry; a stat
// through the kernel is two (a lookup and a getattr).
double StatsPerEntry(int64_t share, const std::string& folder, int entries) {
    std::ifstream log(LogOf(share));
    std::string line;
    long calls = 0;
    const std::string prefix = "getattr " + folder;
    while (std::getline(log, line)) {
        if (line.compare(0, prefix.size(), prefix) == 0 && line.find('/', prefix.size()) == std::string::npos)
            ++calls;
    }
    return entries > 0 ? double(calls) / 2.0 / entries : 0.0;
}

std::vector<std::string> Names(DIR* dir, bool listedOnly) {
    std::vector<std::string> names;
    while (const dirent* d = ::readdir(dir)) {
        if (d->d_name[0] == '.' || (listedOnly && !Listed(d->d_name)))
            continue;
        names.emplace_back(d->d_name);
    }
    return names;
}

// The floor of a listing: one readdir pass, then the stats it needs, so many in flight.
void BM_StatFloor(benchmark::State& state) {
    const int64_t share = state.range(0);
    const bool listedOnly = state.range(1) != 0;
    const int lanes = int(state.range(2));
    if (!Ready(state, share))
        return;
    const QByteArray folder = QFile::encodeName(MountOf(share) + QStringLiteral("/big"));
    for (auto _ : state) {
        const DirStream dir = OpenDirStream(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        const std::vector<std::string> names = Names(dir.get(), listedOnly);
        std::atomic<size_t> next{0};
        std::atomic<long long> total{0};
        RunLanes(lanes, [&](int) {
            for (size_t i = next++; i < names.size(); i = next++) {
                struct stat st {};
                if (::fstatat(::dirfd(dir.get()), names[i].c_str(), &st, 0) == 0)
                    total += st.st_size;
            }
        });
        benchmark::DoNotOptimize(total.load());
        state.counters["stats"] = double(names.size());
    }
}

// The same floor with the stats in flight through io_uring instead of threads.
void BM_StatFloorUring(benchmark::State& state) {
    const int64_t share = state.range(0);
    const unsigned depth = unsigned(state.range(1));
    if (!Ready(state, share))
        return;
    const QByteArray folder = QFile::encodeName(MountOf(share) + QStringLiteral("/big"));
    io_uring ring{};
    if (io_uring_queue_init(depth, &ring, 0) != 0) {
        state.SkipWithError("io_uring is not available");
        return;
    }
    std::vector<struct statx> answers(depth);
    for (auto _ : state) {
        const DirStream dir = OpenDirStream(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        const int dirFd = ::dirfd(dir.get());
        const std::vector<std::string> names = Names(dir.get(), true);
        std::vector<unsigned> freeSlots;
        for (unsigned s = 0; s < depth; ++s)
            freeSlots.push_back(s);
        size_t next = 0, done = 0;
        long long total = 0;
        while (done < names.size()) {
            while (next < names.size() && !freeSlots.empty()) {
                const unsigned slot = freeSlots.back();
                freeSlots.pop_back();
                io_uring_sqe* sqe = io_uring_get_sqe(&ring);
                io_uring_prep_statx(sqe, dirFd, names[next].c_str(), 0, STATX_BASIC_STATS, &answers[slot]);
                io_uring_sqe_set_data64(sqe, slot);
                ++next;
            }
            io_uring_submit_and_wait(&ring, 1);
            io_uring_cqe* cqe = nullptr;
            while (io_uring_peek_cqe(&ring, &cqe) == 0) {
                const unsigned slot = unsigned(io_uring_cqe_get_data64(cqe));
                if (cqe->res == 0)
                    total += static_cast<long long>(answers[slot].stx_size);
                io_uring_cqe_seen(&ring, cqe);
                freeSlots.push_back(slot);
                ++done;
            }
        }
        benchmark::DoNotOptimize(total);
        state.counters["stats"] = double(names.size());
    }
    io_uring_queue_exit(&ring);
}

// The listing's own work on the share, from the first readdir to the last stat.
void BM_ShareListing(benchmark::State& state) {
    const int64_t share = state.range(0);
    if (!Ready(state, share))
        return;
    const QString folder = MountOf(share) + QStringLiteral("/big");
    for (auto _ : state) {
        state.PauseTiming();
        FolderMemo::ForgetAll();
        ClearLog(share);
        state.ResumeTiming();
        const ListResult result = ListFolderRows(folder, Options());
        state.PauseTiming();
        state.counters["rows"] = double(result.rows.size());
        state.counters["stats_per_row"] = StatsPerEntry(share, "/big/", int(result.rows.size()));
        state.ResumeTiming();
    }
}

// A user going to the big folder: the tree opens its parent (learning the folder's expand mark)
// and the folder itself, and the list lists it. Counts how often each entry was asked.
void BM_ShareCommand(benchmark::State& state) {
    const int64_t share = state.range(0);
    if (!Ready(state, share))
        return;
    const QString root = MountOf(share);
    const QString folder = root + QStringLiteral("/big");
    const DriveModel drives = DriveModel::FromSystem();
    const ListOptions admission;
    for (auto _ : state) {
        state.PauseTiming();
        FolderMemo::ForgetAll();
        ClearLog(share);
        state.ResumeTiming();
        benchmark::DoNotOptimize(ReadTreeLevel(root, admission, drives));
        benchmark::DoNotOptimize(ReadTreeLevel(folder, admission, drives));
        const ListResult result = ListFolderRows(folder, Options());
        state.PauseTiming();
        state.counters["stats_per_entry"] = StatsPerEntry(share, "/big/", 5000);
        state.ResumeTiming();
    }
}

// The floor of opening the tree's share folder of 500 subfolders: the folder's readdir, then
// for each subfolder the calls its expand mark needs (its stat, its readdir up to its first
// subfolder and that one's stat), 16 subfolders in flight.
void BM_TreeFloor(benchmark::State& state) {
    if (!Ready(state, Typed))
        return;
    const QByteArray folder = QFile::encodeName(MountOf(Typed) + QStringLiteral("/tree"));
    for (auto _ : state) {
        const DirStream dir = OpenDirStream(::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        const std::vector<std::string> names = Names(dir.get(), false);
        std::atomic<size_t> next{0};
        std::atomic<int> marks{0};
        RunLanes(kFloorLanes, [&](int) {
            for (size_t i = next++; i < names.size(); i = next++) {
                struct stat st {};
                ::fstatat(::dirfd(dir.get()), names[i].c_str(), &st, 0);
                const DirStream sub = OpenDirStream(
                    ::openat(::dirfd(dir.get()), names[i].c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
                if (!sub)
                    continue;
                while (const dirent* d = ::readdir(sub.get())) {
                    if (d->d_type == DT_DIR && d->d_name[0] != '.') {
                        if (::fstatat(::dirfd(sub.get()), d->d_name, &st, 0) == 0)
                            ++marks;
                        break;
                    }
                }
            }
        });
        state.counters["marks"] = marks.load();
    }
}

void BM_TreeOpen(benchmark::State& state) {
    if (!Ready(state, Typed))
        return;
    const QString folder = MountOf(Typed) + QStringLiteral("/tree");
    const DriveModel drives = DriveModel::FromSystem();
    for (auto _ : state) {
        state.PauseTiming();
        FolderMemo::ForgetAll();
        state.ResumeTiming();
        const std::vector<TreeLevelEntry> level = ReadTreeLevel(folder, ListOptions(), drives);
        int marks = 0;
        for (const TreeLevelEntry& e : level)
            marks += e.hasSubfolders ? 1 : 0;
        state.counters["marks"] = marks;
    }
}

// Each call waits a millisecond or more: a few rounds are plenty, and real time is what counts.
void ShareRun(benchmark::internal::Benchmark* b) {
    b->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
}
BENCHMARK(BM_StatFloor)
    ->Apply(ShareRun)
    ->Args({Typed, 1, 16})
    ->Args({Typed, 1, 32})
    ->Args({Typed, 1, 64})
    ->Args({Typeless, 0, 16})
    ->ArgNames({"typeless", "listed", "lanes"});
BENCHMARK(BM_StatFloorUring)
    ->Apply(ShareRun)
    ->Args({Typed, 16})
    ->Args({Typed, 32})
    ->ArgNames({"typeless", "depth"});
BENCHMARK(BM_ShareListing)->Apply(ShareRun)->Arg(Typed)->Arg(Typeless)->ArgName("typeless");
BENCHMARK(BM_ShareCommand)->Apply(ShareRun)->Arg(Typeless)->ArgName("typeless");
BENCHMARK(BM_TreeFloor)->Apply(ShareRun);
BENCHMARK(BM_TreeOpen)->Apply(ShareRun);

} // namespace

int main(int argc, char** argv) {
    bench::BenchProgram program;
    program.summary = [](const bench::BenchTimes& times) {
        const auto ratio = [&times](const char* what, const std::string& work, const std::string& floor) {
            const auto w = times.find(work);
            const auto f = times.find(floor);
            if (w != times.end() && f != times.end() && f->second > 0)
                std::printf("%-58s %8.1f ms  floor %8.1f ms  %.2fx\n", what, w->second, f->second,
                            w->second / f->second);
        };
        ratio("listing, typed share (1,667 of 5,000 listed)", "BM_ShareListing/typeless:0/iterations:3",
              "BM_StatFloor/typeless:0/listed:1/lanes:16/iterations:3");
        ratio("listing, typeless share", "BM_ShareListing/typeless:1/iterations:3",
              "BM_StatFloor/typeless:0/listed:1/lanes:16/iterations:3");
        ratio("going to the folder, typeless share (tree + list)", "BM_ShareCommand/typeless:1/iterations:3",
              "BM_StatFloor/typeless:1/listed:0/lanes:16/iterations:3");
        ratio("opening a share folder of 500 subfolders", "BM_TreeOpen/iterations:3",
              "BM_TreeFloor/iterations:3");
        ratio("io_uring floor, 16 in flight, against threads",
              "BM_StatFloorUring/typeless:0/depth:16/iterations:3",
              "BM_StatFloor/typeless:0/listed:1/lanes:16/iterations:3");
        ratio("io_uring floor, 32 in flight, against 32 threads",
              "BM_StatFloorUring/typeless:0/depth:32/iterations:3",
              "BM_StatFloor/typeless:0/listed:1/lanes:32/iterations:3");
    };
    return bench::RunBenchmarks(argc, argv, program);
}
