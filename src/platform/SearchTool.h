#pragma once

#include <QString>
#include <QStringList>
#include <memory>

namespace tobimaru {

/// The desktop's search window.
class SearchTool {
public:
    virtual ~SearchTool() = default;
    /// Starts a search window on `folder` and returns at once; false when none could be started.
    virtual bool startSearch(const QString& folder) = 0;
};

/// The first of kfind, catfish and gnome-search-tool found on the search path.
class DesktopSearchTool final : public SearchTool {
public:
    bool startSearch(const QString& folder) override;

    /// The program and its arguments that search `folder`; empty when no tool is installed.
    static QStringList CommandFor(const QString& folder);
};

/// Where no search tool is wanted: nothing starts.
class NoSearchTool final : public SearchTool {
public:
    bool startSearch(const QString&) override { return false; }
};

/// The search tool of the session: the desktop's when one is installed, else none.
std::unique_ptr<SearchTool> MakeSessionSearchTool();

} // namespace tobimaru
