#pragma once

#include "base/Prompts.h"
#include "browse/Drives.h"

#include <QString>
#include <functional>
#include <map>
#include <string>

namespace tobimaru::bench {

/// Prompts that answer every box with OK without stopping the run; the text goes to stderr.
class SilentPrompts final : public Prompts {
public:
    PromptAnswer message(const QString&, const QString&, PromptIcon, PromptButtons) override;
    QString browseFolder(const QString&, const QString&, int) override { return {}; }
    void beep() override {}
    /// The first button: a benchmark that asks means to go on (Yes).
    PromptAnswer ask(const QString& text, const QString& caption, PromptIcon icon, PromptButtons buttons,
                     PromptAnswer defaultAnswer) override;
    QString inputText(const QString&, const QString&) override { return {}; }
};

/// Makes a clip with a test picture and a tone by ffmpeg; "" when ffmpeg failed (said on stderr).
QString MakeClip(const QString& path, double seconds, int width, int height);

/// Makes an empty file, or leaves the one that is there.
void TouchFile(const QByteArray& path);

/// The drives of a benchmark: "/" and the folder under test, each answering at once.
DriveModel BenchDrives(const QString& folder);

/// The offscreen platform unless the caller chose one; call before the application is made.
void UseOffscreenUnlessSet();

/// Each benchmark's real time in milliseconds (the median when repeated), by its name without
/// "/real_time", as a summary of a run reads them.
using BenchTimes = std::map<std::string, double>;

/// What a benchmark program adds to the run.
struct BenchProgram {
    /// Runs once the application exists, before the benchmarks: makes the clips and fixtures and
    /// registers the benchmarks that need them. False ends the program with 1 (it said why).
    std::function<bool()> prepare;
    /// Runs after the console report, over the times (the ratios against the floor or peer).
    std::function<void(const BenchTimes&)> summary;
};

/// main() of a benchmark program: the offscreen platform unless chosen, the application with
/// numbers in the C locale (as libmpv needs them), `program.prepare`, the console report, then
/// `program.summary`.
int RunBenchmarks(int argc, char** argv, const BenchProgram& program = {});

} // namespace tobimaru::bench
