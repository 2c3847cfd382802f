#pragma once

#include <Qt>

namespace tobimaru {

/// Item data roles of the folder tree's nodes.
inline constexpr int NodeKeyRole =
    Qt::UserRole + 1; ///< the node's key: its path, or the mount point of a root
inline constexpr int NodeImageRole = Qt::UserRole + 2; ///< the image key of the node's picture
inline constexpr int NodeFilledRole =
    Qt::UserRole + 3; ///< true once every child of the node has been read from the folder

} // namespace tobimaru
