#include "browse/ListSort.h"

#include "base/SideBySide.h"
#include "browse/ListFormat.h"

#include <algorithm>
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

// The folded texts of the rows [from, to) of one column in one buffer: comparisons are then
// plain code-unit compares, and the size and time texts are formatted here, once per sort,
// rather than kept in every row.
class FoldedTexts {
public:
    void fold(const std::vector<ListRow>& rows, int column, size_t from, size_t to) {
        m_from = from;
        const size_t n = to - from;
        m_start.resize(n + 1);
        m_changed.assign(n, 0);
        m_units.clear();
        m_units.reserve(n * (column == SizeColumn ? 10 : column == TimeColumn ? 19 : 16));
        FileTimeFormatter times;
        for (size_t i = 0; i < n; ++i) {
            m_start[i] = quint32(m_units.size());
            const ListRow& row = rows[from + i];
            switch (column) {
            case SizeColumn:
                if (row.isFolder()) {
                    appendPlain(FolderRowSize());
                } else {
                    char16_t buf[10];
                    m_units.insert(m_units.end(), buf, buf + WriteSizeKB(row.size, buf));
                }
                break;
            case TimeColumn:
                if (row.modified != kNoTime) {
                    char16_t buf[kFileTimeUnits];
                    m_units.insert(m_units.end(), buf, buf + times.write(row.modified, buf));
                }
                break;
            default:
                m_changed[i] = appendFolded(column == ExtensionColumn ? row.extension : row.name);
                break;
            }
        }
        m_start[n] = quint32(m_units.size());
    }

    const char16_t* begin(size_t index) const { return m_units.data() + m_start[index - m_from]; }
    const char16_t* end(size_t index) const { return m_units.data() + m_start[index - m_from + 1]; }
    bool changed(size_t index) const { return m_changed[index - m_from] != 0; }
    size_t count() const { return m_changed.size(); }

    // Length of the beginning every text here shares with `first`.
    qsizetype commonWith(const char16_t* first, qsizetype length) const {
        qsizetype common = length;
        for (size_t i = 0; i < count() && common > 0; ++i) {
            const char16_t* t = m_units.data() + m_start[i];
            const qsizetype len = std::min(common, qsizetype(m_start[i + 1] - m_start[i]));
            qsizetype k = 0;
            while (k < len && first[k] == t[k])
                ++k;
            common = k;
        }
        return common;
    }

private:
    void appendPlain(const QString& text) {
        for (const QChar c : text)
            m_units.push_back(c.unicode());
    }
    bool appendFolded(const QString& text) {
        bool changed = false;
        for (const QChar c : text) {
            const char16_t f = Fold(c.unicode());
            changed |= f != c.unicode();
            m_units.push_back(f);
        }
        return changed;
    }

    size_t m_from = 0;
    std::vector<char16_t> m_units;
    std::vector<quint32> m_start;
    std::vector<char> m_changed; ///< whether folding changed a row's text
};

class Sorter {
public:
    Sorter(const std::vector<ListRow>& rows, int column, bool descending)
        : m_rows(rows)
        , m_column(column)
        , m_descending(descending) {}

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
        const size_t mid = two ? n / 2 : n;
        m_mid = mid;
        const auto both = [two](const std::function<void()>& a, const std::function<void()>& b) {
            if (two)
                RunSideBySide(a, b);
            else
                a();
        };
        both([&] { m_parts[0].fold(m_rows, m_column, 0, mid); },
             [&] { m_parts[1].fold(m_rows, m_column, mid, n); });

        // Texts of a folder share their beginning ("clip ", "    ", "2023/"); the integer keys
        // start after it, so that most comparisons are decided by them alone.
        const char16_t* first = m_parts[0].begin(0);
        qsizetype common = m_parts[0].end(0) - first;
        common = m_parts[0].commonWith(first, common);
        if (two)
            common = m_parts[1].commonWith(first, common);
        m_common = common;

        std::vector<SortKey> keys(n);
        const auto less = [this](const SortKey& a, const SortKey& b) {
            const int c = compare(a, b);
            // Ties keep listing order in both directions.
            return c != 0 ? (m_descending ? c > 0 : c < 0) : a.index < b.index;
        };
        const auto sortRange = [&](size_t from, size_t to) {
            makeKeys(keys, from, to);
            std::sort(keys.begin() + qsizetype(from), keys.begin() + qsizetype(to), less);
        };
        both([&] { sortRange(0, mid); }, [&] { sortRange(mid, n); });
        std::vector<SortKey> merged;
        const std::vector<SortKey>* sorted = &keys;
        if (two) {
            merged.resize(n);
            std::merge(keys.begin(), keys.begin() + qsizetype(mid), keys.begin() + qsizetype(mid), keys.end(),
                       merged.begin(), less);
            sorted = &merged;
        }
        result.order.resize(n);
        result.positionOf.resize(n);
        for (size_t p = 0; p < n; ++p) {
            const quint32 index = (*sorted)[p].index;
            result.order[p] = int(index);
            result.positionOf[index] = int(p);
        }
        return result;
    }

private:
    const FoldedTexts& part(size_t index) const { return index < m_mid ? m_parts[0] : m_parts[1]; }

    void makeKeys(std::vector<SortKey>& keys, size_t from, size_t to) const {
        for (size_t i = from; i < to; ++i) {
            const FoldedTexts& texts = part(i);
            const char16_t* const start = texts.begin(i) + m_common;
            const qsizetype length = texts.end(i) - start;
            // A text that ends early pads with 0, below every real unit, so shorter sorts first.
            const auto unit = [&](qsizetype k) -> quint64 { return k < length ? start[k] : 0u; };
            SortKey& key = keys[i];
            key.high = (unit(0) << 48) | (unit(1) << 32) | (unit(2) << 16) | unit(3);
            key.low = (unit(4) << 48) | (unit(5) << 32) | (unit(6) << 16) | unit(7);
            key.index = quint32(i);
        }
    }

    const QString& original(quint32 index) const {
        return m_column == ExtensionColumn ? m_rows[index].extension : m_rows[index].name;
    }

    int compare(const SortKey& a, const SortKey& b) const {
        if (a.high != b.high)
            return a.high < b.high ? -1 : 1;
        if (a.low != b.low)
            return a.low < b.low ? -1 : 1;
        // The same eight units after the common prefix: compare the rest of the folded texts.
        const FoldedTexts& ta = part(a.index);
        const FoldedTexts& tb = part(b.index);
        const char16_t* const ea = ta.end(a.index);
        const char16_t* const eb = tb.end(b.index);
        const char16_t* pa = std::min(ta.begin(a.index) + m_common + kKeyUnits, ea);
        const char16_t* pb = std::min(tb.begin(b.index) + m_common + kKeyUnits, eb);
        for (; pa < ea && pb < eb; ++pa, ++pb)
            if (*pa != *pb)
                return *pa < *pb ? -1 : 1;
        if ((pa < ea) != (pb < eb))
            return pa < ea ? 1 : -1;
        // Equal but for case: the texts themselves decide, so "A" and "a" always come in one
        // order. Size and time texts have no case.
        if (!ta.changed(a.index) && !tb.changed(b.index))
            return 0;
        return QStringView(original(a.index)).compare(QStringView(original(b.index)));
    }

    const std::vector<ListRow>& m_rows;
    const int m_column;
    const bool m_descending;
    FoldedTexts m_parts[2]; ///< rows before m_mid, and the rest
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
