#pragma once

#include "browse/ListRow.h"

#include <QStringView>
#include <cstdint>
#include <vector>

namespace tobimaru {

/// Finds a row of one folder's listing by its name: an open-addressing table of row indexes,
/// four bytes a slot at most half full, so that continuous play finds the row that ended in a
/// list of a million rows without a string per row. Names compare exactly (case counts). The
/// table knows the rows by index only; the caller keeps it in step with them.
class ListNameIndex final {
public:
    /// Indexes every row.
    void build(const std::vector<ListRow>& rows);
    /// Adds rows[index], the row just appended.
    void add(const std::vector<ListRow>& rows, std::uint32_t index);
    /// Index of the row with this name, -1 when there is none.
    int find(const std::vector<ListRow>& rows, QStringView name) const;
    void clear();
    /// Whether it indexes `count` rows (so it can be taken as it is for a list of that many).
    bool covers(size_t count) const { return m_count == count && (count == 0 || !m_slots.empty()); }

private:
    size_t slotOf(QStringView name) const;
    void rehash(const std::vector<ListRow>& rows, size_t capacity);
    void place(const std::vector<ListRow>& rows, std::uint32_t index);

    std::vector<std::uint32_t> m_slots; ///< row index + 1; 0 is an empty slot
    size_t m_count = 0;
};

} // namespace tobimaru
