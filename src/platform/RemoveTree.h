#pragma once

#include <QString>

namespace tobimaru {

/// Removes `path` and, for a folder, everything below it. A symbolic link is removed as a link
/// and never followed, so nothing outside the tree is touched; a folder without write permission
/// of its owner's is given it first. Returns false when anything stayed, with the first failure's
/// path and reason in `failure`. Safe on any thread.
bool RemoveTree(const QString& path, QString* failure = nullptr);

/// Removes everything inside `folder` the same way; the folder itself stays. A folder that is a
/// link is not emptied (false).
bool EmptyFolder(const QString& folder, QString* failure = nullptr);

} // namespace tobimaru
