#include "platform/SearchTool.h"

#include <QProcess>
#include <QStandardPaths>

namespace tobimaru {

QStringList DesktopSearchTool::CommandFor(const QString& folder) {
    // Each tool names its starting folder its own way.
    const struct Tool {
        const char* program;
        const char* option; ///< put before the folder, joined to it; null: the folder alone
    } tools[] = {{"kfind", nullptr}, {"catfish", "--path="}, {"gnome-search-tool", "--path="}};
    for (const Tool& t : tools) {
        const QString program = QStandardPaths::findExecutable(QString::fromLatin1(t.program));
        if (program.isEmpty())
            continue;
        return {program, t.option ? QString::fromLatin1(t.option) + folder : folder};
    }
    return {};
}

bool DesktopSearchTool::startSearch(const QString& folder) {
    const QStringList command = CommandFor(folder);
    if (command.isEmpty())
        return false;
    return QProcess::startDetached(command.first(), command.mid(1));
}

std::unique_ptr<SearchTool> MakeSessionSearchTool() {
    if (DesktopSearchTool::CommandFor(QStringLiteral("/")).isEmpty())
        return std::make_unique<NoSearchTool>();
    return std::make_unique<DesktopSearchTool>();
}

} // namespace tobimaru
