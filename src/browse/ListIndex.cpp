#include "browse/ListIndex.h"

#include <QHash>
#include <algorithm>

namespace tobimaru {

namespace {

constexpr size_t kMinSlots = 8;

} // namespace

size_t ListNameIndex::slotOf(QStringView name) const {
    const size_t h = qHash(name, 0);
    const std::uint64_t h32 = std::uint32_t(h ^ (std::uint64_t(h) >> 32));
    // Maps the hash onto the table without a power-of-two size, so the table stays near twice
    // the row count instead of up to four times.
    return size_t((h32 * m_slots.size()) >> 32);
}

void ListNameIndex::place(const std::vector<ListRow>& rows, std::uint32_t index) {
    size_t s = slotOf(rows[index].name);
    while (m_slots[s] != 0)
        s = s + 1 == m_slots.size() ? 0 : s + 1;
    m_slots[s] = index + 1;
}

void ListNameIndex::rehash(const std::vector<ListRow>& rows, size_t capacity) {
    m_slots.assign(std::max(capacity, kMinSlots), 0);
    for (size_t i = 0; i < m_count; ++i)
        place(rows, std::uint32_t(i));
}

void ListNameIndex::build(const std::vector<ListRow>& rows) {
    m_count = rows.size();
    rehash(rows, 2 * m_count);
}

void ListNameIndex::add(const std::vector<ListRow>& rows, std::uint32_t index) {
    if (index != m_count || index >= rows.size()) {
        build(rows);
        return;
    }
    ++m_count;
    if (2 * m_count > m_slots.size())
        rehash(rows, 2 * m_slots.size());
    else
        place(rows, index);
}

int ListNameIndex::find(const std::vector<ListRow>& rows, QStringView name) const {
    if (m_slots.empty() || m_count > rows.size())
        return -1;
    for (size_t s = slotOf(name);; s = s + 1 == m_slots.size() ? 0 : s + 1) {
        const std::uint32_t slot = m_slots[s];
        if (slot == 0)
            return -1;
        if (QStringView(rows[slot - 1].name) == name)
            return int(slot - 1);
    }
}

void ListNameIndex::clear() {
    m_slots.clear();
    m_slots.shrink_to_fit();
    m_count = 0;
}

} // namespace tobimaru
