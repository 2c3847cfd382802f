#pragma once

#include "base/Prompts.h"

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

/// Makes a clip with a test picture and a tone by ffmpeg; "" when ffmpeg failed.
QString MakeClip(const QString& path, double seconds, int width, int height);

/// The offscreen platform unless the caller chose one; call before the application is made.
void UseOffscreenUnlessSet();

/// Each benchmark's real time in milliseconds (the median when repeated), by its name without
/// "/real_time", as a summary of a run reads them.
using BenchTimes = std::map<std::string, double>;

/// main() of a benchmark program: the offscreen platform unless chosen, the application, the
/// console report, then `summary` over the times (the ratios against the floor or peer).
int RunBenchmarks(int argc, char** argv, const std::function<void(const BenchTimes&)>& summary = {});

} // namespace tobimaru::bench
