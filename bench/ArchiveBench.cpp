// Extracting a 200 MB archive of 2,000 files through the archiver functions against bsdtar of
// the same archive into an empty folder: bsdtar is libarchive's own extractor, so the gap is what
// our checks cost (the pass over the headers, the name and link rules, the free-space watch, the
// progress reports) on top of the same decoding.

#include "archives/Archiver.h"
#include "archives/ArchiverCommandLine.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <unistd.h>

namespace {

using namespace tobimaru;

constexpr int kFolders = 20;
constexpr int kFilesPerFolder = 100;
constexpr qsizetype kFileSize = 100 * 1024;

QString BenchRoot() {
    return QDir::tempPath() + QStringLiteral("/tobimaru-bench-archives-200m");
}

bool Run(const QString& program, const QStringList& args, const QString& workDir = {},
         const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(workDir);
    p.start(program, args);
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program), p.readAllStandardError().constData());
        return false;
    }
    return true;
}

// Media is mostly incompressible: three quarters of each file are random bytes, the rest text,
// so that the decoder works as on real archives. Made once and kept between runs.
bool MakeArchives() {
    const QString root = BenchRoot();
    if (QFile::exists(root + QStringLiteral("/ready")))
        return true;
    QDir(root).removeRecursively();
    std::uint64_t state = 0x9E3779B97F4A7C15ULL;
    for (int d = 0; d < kFolders; ++d) {
        const QString folder = root + QStringLiteral("/src/folder%1").arg(d, 2, 10, QLatin1Char('0'));
        QDir().mkpath(folder);
        for (int f = 0; f < kFilesPerFolder; ++f) {
            QByteArray data(kFileSize, Qt::Uninitialized);
            const qsizetype randomPart = kFileSize * 3 / 4;
            for (qsizetype i = 0; i + 8 <= randomPart; i += 8) {
                state ^= state << 13;
                state ^= state >> 7;
                state ^= state << 17;
                std::memcpy(data.data() + i, &state, 8);
            }
            for (qsizetype i = randomPart; i < kFileSize; ++i)
                data[i] = "clip frame index and some words of text\n"[i % 40];
            QFile out(folder + QStringLiteral("/clip%1.dat").arg(f, 3, 10, QLatin1Char('0')));
            if (!out.open(QIODevice::WriteOnly) || out.write(data) != data.size())
                return false;
        }
    }
    std::fprintf(stderr, "making the archives under %s (once)...\n", qPrintable(root));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    QStringList folders;
    for (int d = 0; d < kFolders; ++d)
        folders << QStringLiteral("folder%1").arg(d, 2, 10, QLatin1Char('0'));
    if (!Run(QStringLiteral("zip"),
             QStringList{QStringLiteral("-q"), QStringLiteral("-r"), root + "/bench.zip"} + folders,
             root + "/src", env) ||
        !Run(QStringLiteral("jlha"), QStringList{QStringLiteral("-ao5q"), root + "/bench.lzh"} + folders,
             root + "/src", env))
        return false;
    QDir(root + "/src").removeRecursively();
    QFile ready(root + QStringLiteral("/ready"));
    return ready.open(QIODevice::WriteOnly);
}

QString FreshDestination() {
    const QString dest = BenchRoot() + QStringLiteral("/out");
    QDir(dest).removeRecursively();
    QDir().mkpath(dest);
    return dest;
}

bool Adapter(const QString& archive, const QString& dest) {
    const bool lzh = archive.endsWith(QLatin1String(".lzh"));
    ExtractCallbacks callbacks;
    qint64 reports = 0;
    callbacks.progress = [&](const QString&, qint64, qint64) { ++reports; }; // as a GUI would hear them
    ExtractFailure failure;
    const ArchiverCode code =
        lzh ? Unlha(LzhCommandLine("e", "-x1m1", archive, dest), callbacks, &failure)
            : UnZip(ZipCommandLine("-x -s -V -i -C", archive, dest), callbacks, &failure);
    benchmark::DoNotOptimize(reports);
    if (code != ArchiverCode::Ok)
        std::fprintf(stderr, "code %#x: %s %s\n", static_cast<unsigned>(ArchiverNumber(code)),
                     qPrintable(failure.entry), qPrintable(failure.log));
    return code == ArchiverCode::Ok;
}

bool Bsdtar(const QString& archive, const QString& dest) {
    return Run(QStringLiteral("bsdtar"), {QStringLiteral("-xf"), archive}, dest);
}

double Seconds(const std::function<bool()>& run, bool* ok) {
    const auto start = std::chrono::steady_clock::now();
    *ok = run() && *ok;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Both extractors in every iteration, taking turns to go first: the machine is shared, and a
// load that comes and goes then falls on both alike. The benchmark's time is the adapter's;
// the counters give bsdtar's and the ratio.
void Paired(benchmark::State& state, const QString& archive) {
    if (!MakeArchives()) {
        state.SkipWithError("the archives could not be made (zip, jlha)");
        return;
    }
    double adapter = 0;
    double bsdtar = 0;
    bool ok = true;
    int round = 0;
    for (auto _ : state) {
        double mine = 0;
        for (int turn = 0; turn < 2; ++turn) {
            const QString dest = FreshDestination();
            ::sync(); // the previous extraction's writes are not this one's cost
            if ((turn + round) % 2 == 0)
                mine = Seconds([&] { return Adapter(archive, dest); }, &ok);
            else
                bsdtar += Seconds([&] { return Bsdtar(archive, dest); }, &ok);
        }
        adapter += mine;
        state.SetIterationTime(mine);
        ++round;
        if (!ok) {
            state.SkipWithError("extraction failed");
            break;
        }
    }
    QDir(BenchRoot() + QStringLiteral("/out")).removeRecursively();
    state.SetBytesProcessed(state.iterations() * kFolders * kFilesPerFolder * kFileSize);
    state.counters["bsdtar_ms"] = benchmark::Counter(bsdtar * 1000, benchmark::Counter::kAvgIterations);
    state.counters["ratio"] = bsdtar > 0 ? adapter / bsdtar : 0;
}

void BM_Zip(benchmark::State& s) {
    Paired(s, BenchRoot() + "/bench.zip");
}
void BM_Lzh(benchmark::State& s) {
    Paired(s, BenchRoot() + "/bench.lzh");
}

BENCHMARK(BM_Zip)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3)->Repetitions(3);
BENCHMARK(BM_Lzh)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3)->Repetitions(3);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
