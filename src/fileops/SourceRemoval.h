#pragma once

#include <QString>

namespace tobimaru {

struct CopiedEntry;

enum class RemovalStatus {
    Removed,
    Changed, ///< the source is not what was copied any more: what differs stays
    Failed,
};

struct SourceRemoval {
    RemovalStatus status = RemovalStatus::Failed;
    QString where;  ///< the shown path of the entry that changed or could not be removed
    QString reason; ///< for Failed: why
};

/// Removes the source of a finished copy, but only as the copy read it (`copied`): first the whole
/// tree is compared with the record (the same nodes, sizes and change times, each folder holding
/// the entries it held), and nothing goes when anything differs; then each entry is compared
/// again just before it is unlinked, through its folder's descriptor, so that a file written,
/// replaced or added meanwhile stays where it is. An entry already gone counts as removed: its
/// copy holds it. Safe on any thread.
SourceRemoval RemoveCopiedSource(const QString& source, const CopiedEntry& copied);

} // namespace tobimaru
