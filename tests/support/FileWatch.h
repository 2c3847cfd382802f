#pragma once

#include <QString>
#include <QStringList>

namespace tobimaru::test {

/// Watches one folder with inotify and tells what happened to its entries, so that a test can
/// see how often a file was opened, created or renamed into place, not only what it holds at
/// the end.
class FileWatch final {
public:
    explicit FileWatch(const QString& folder);
    ~FileWatch();
    FileWatch(const FileWatch&) = delete;
    FileWatch& operator=(const FileWatch&) = delete;

    /// The events since the last call, in order, each as "open NAME", "create NAME",
    /// "moved_to NAME" or "delete NAME" (NAME empty for the folder itself).
    QStringList take();

private:
    int m_fd = -1;
};

} // namespace tobimaru::test
