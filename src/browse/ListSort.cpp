#include "browse/ListSort.h"

#include "base/SideBySide.h"
#include "browse/ListFormat.h"

#include <algorithm>
#include <functional>
#include <numeric>

namespace tobimaru {

namespace {

// Below this many rows a second thread costs more than it saves.
constexpr size_t kRowsForTwoThreads = 16384;
// Code units after the common prefix that the integer keys hold.
constexpr qsizetype kKeyUnits = 8;

char16_t Fold(char16_t c) {
    if (c < 0x80)
        return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
    if (QChar::isSurrogate(c))
        return c;
    return char16_t(QChar::toCaseFolded(char32_t(c)));
}

struct SortKey {
    quint64 high = 0; ///< folded code units 1-4 after the common prefix, big end first
    quint64 low = 0;  ///< units 5-8
    quint32 index = 0;
};

struct Text {
    const char16_t* begin = nullptr;
    const char16_t* end = nullptr;
};

// The size or time texts of the rows [from, to) in one buffer: they are formatted here, once a
// sort, rather than kept in every row. Names and extensions are read where they are.
class FormattedTexts {
public:
    void format(const std::vector<ListRow>& rows, int column, size_t from, size_t to) {
        m_from = from;
        const size_t n = to - from;
        m_start.resize(n + 1);
        m_units.clear();
        m_units.reserve(n * (column == SizeColumn ? 10 : 19));
        FileTimeFormatter times;
        for (size_t i = 0; i < n; ++i) {
            m_start[i] = quint32(m_units.size());
            const ListRow& row = rows[from + i];
            if (column == SizeColumn && row.isFolder()) {
                for (const QChar c : FolderRowSize())
                    m_units.push_back(c.unicode());
            } else if (column == SizeColumn) {
                char16_t buf[10];
                m_units.insert(m_units.end(), buf, buf + WriteSizeKB(row.size, buf));
            } else if (row.modified != kNoTime) {
                char16_t buf[kFileTimeUnits];
                m_units.insert(m_units.end(), buf, buf + times.write(row.modified, buf));
            }
        }
        m_start[n] = quint32(m_units.size());
    }

    Text text(size_t index) const {
        const size_t i = index - m_from;
        return {m_units.data() + m_start[i], m_units.data() + m_start[i + 1]};
    }

private:
    size_t m_from = 0;
    std::vector<char16_t> m_units;
    std::vector<quint32> m_start;
};

class Sorter {
public:
    Sorter(const std::vector<ListRow>& rows, int column, bool descending)
        : m_rows(rows)
        , m_column(column)
        , m_descending(descending)
        , m_inPlace(column == NameColumn || column == ExtensionColumn) {}

    ListOrder run() {
        ListOrder result;
        result.column = m_column;
        result.descending = m_descending;
        const size_t n = m_rows.size();
        if (n < 2) {
            result.order.resize(n);
            std::iota(result.order.begin(), result.order.end(), 0);
            result.positionOf = result.order;
            return result;
        }
        const bool two = n >= kRowsForTwoThreads;
        m_mid = two ? n / 2 : n;
        const size_t mid = m_mid;
        const auto both = [two](const std::function<void()>& a, const std::function<void()>& b) {
            if (two)
                RunSideBySide(a, b);
            else
                a();
        };
        if (!m_inPlace) {
            both([&] { m_parts[0].format(m_rows, m_column, 0, mid); },
                 [&] { m_parts[1].format(m_rows, m_column, mid, n); });
        }

        // Texts of a folder share their beginning ("clip ", "    ", "2023/"); the integer keys
        // start after it, so that most comparisons are decided by them alone.
        const Text first = text(0);
        qsizetype common = first.end - first.begin;
        for (size_t i = 1; i < n && common > 0; ++i) {
            const Text t = text(i);
            const qsizetype length = std::min(common, qsizetype(t.end - t.begin));
            qsizetype k = 0;
            while (k < length && Fold(first.begin[k]) == Fold(t.begin[k]))
                ++k;
            common = k;
        }
        m_common = common;

        std::vector<SortKey> keys(n);
        const auto less = [this](const SortKey& a, const SortKey& b) {
            const int c = compare(a, b);
            if (c != 0)
                return m_descending ? c > 0 : c < 0;
            // Equal sizes, times or extensions come in name order in both directions: the
            // listing's own order is the directory's, which looks random to a user.
            if (m_column != NameColumn) {
                if (const int byName = compareNames(a.index, b.index); byName != 0)
                    return byName < 0;
            }
            return a.index < b.index;
        };
        const auto sortRange = [&](size_t from, size_t to) {
            makeKeys(keys, from, to);
            std::sort(keys.begin() + qsizetype(from), keys.begin() + qsizetype(to), less);
        };
        both([&] { sortRange(0, mid); }, [&] { sortRange(mid, n); });
        result.order.resize(n);
        result.positionOf.resize(n);
        const auto put = [&](size_t p, quint32 index) {
            result.order[p] = int(index);
            result.positionOf[index] = int(p);
        };
        if (!two) {
            for (size_t p = 0; p < n; ++p)
                put(p, keys[p].index);
            return result;
        }
        // The two sorted halves merged straight into the order: no third array of keys.
        size_t a = 0, b = mid, p = 0;
        while (a < mid && b < n)
            put(p++, less(keys[b], keys[a]) ? keys[b++].index : keys[a++].index);
        while (a < mid)
            put(p++, keys[a++].index);
        while (b < n)
            put(p++, keys[b++].index);
        return result;
    }

private:
    Text text(size_t index) const {
        if (!m_inPlace)
            return m_parts[index < m_mid ? 0 : 1].text(index);
        const QString& s = m_column == ExtensionColumn ? m_rows[index].extension : m_rows[index].name;
        const char16_t* const begin = reinterpret_cast<const char16_t*>(s.constData());
        return {begin, begin + s.size()};
    }

    void makeKeys(std::vector<SortKey>& keys, size_t from, size_t to) const {
        for (size_t i = from; i < to; ++i) {
            const Text t = text(i);
            const char16_t* const start = t.begin + m_common;
            const qsizetype length = t.end - start;
            // A text that ends early pads with 0, below every real unit, so shorter sorts first.
            const auto unit = [&](qsizetype k) -> quint64 { return k < length ? Fold(start[k]) : 0u; };
            SortKey& key = keys[i];
            key.high = (unit(0) << 48) | (unit(1) << 32) | (unit(2) << 16) | unit(3);
            key.low = (unit(4) << 48) | (unit(5) << 32) | (unit(6) << 16) | unit(7);
            key.index = quint32(i);
        }
    }

    int compareNames(quint32 a, quint32 b) const {
        const QString& na = m_rows[a].name;
        const QString& nb = m_rows[b].name;
        const qsizetype length = std::min(na.size(), nb.size());
        for (qsizetype k = 0; k < length; ++k) {
            const char16_t fa = Fold(na[k].unicode());
            const char16_t fb = Fold(nb[k].unicode());
            if (fa != fb)
                return fa < fb ? -1 : 1;
        }
        if (na.size() != nb.size())
            return na.size() < nb.size() ? -1 : 1;
        return na.compare(nb);
    }

    int compare(const SortKey& a, const SortKey& b) const {
        if (a.high != b.high)
            return a.high < b.high ? -1 : 1;
        if (a.low != b.low)
            return a.low < b.low ? -1 : 1;
        // The same eight units after the common prefix: compare the rest, folded.
        const Text ta = text(a.index);
        const Text tb = text(b.index);
        const char16_t* pa = std::min(ta.begin + m_common + kKeyUnits, ta.end);
        const char16_t* pb = std::min(tb.begin + m_common + kKeyUnits, tb.end);
        for (; pa < ta.end && pb < tb.end; ++pa, ++pb) {
            const char16_t fa = Fold(*pa);
            const char16_t fb = Fold(*pb);
            if (fa != fb)
                return fa < fb ? -1 : 1;
        }
        if ((pa < ta.end) != (pb < tb.end))
            return pa < ta.end ? 1 : -1;
        // Equal but for case: the texts themselves decide, so "A" and "a" always come in one
        // order. Rows of one listing share their extension strings, which are then equal at once.
        if (ta.begin == tb.begin)
            return 0;
        return QStringView(ta.begin, ta.end - ta.begin).compare(QStringView(tb.begin, tb.end - tb.begin));
    }

    const std::vector<ListRow>& m_rows;
    const int m_column;
    const bool m_descending;
    const bool m_inPlace;      ///< the texts are the rows' own strings
    FormattedTexts m_parts[2]; ///< rows before m_mid, and the rest
    size_t m_mid = 0;
    qsizetype m_common = 0;
};

} // namespace

ListOrder SortListRows(const std::vector<ListRow>& rows, int column, bool descending) {
    if (column < 0 || column >= ColumnCount)
        column = NameColumn;
    return Sorter(rows, column, descending).run();
}

} // namespace tobimaru
