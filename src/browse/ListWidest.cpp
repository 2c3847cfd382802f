#include "browse/ListWidest.h"

#include "browse/ListFormat.h"

#include <QHash>
#include <algorithm>
#include <functional>
#include <utility>

namespace tobimaru {

namespace {

// Keeps the rows of the biggest scores seen.
class TopRows {
public:
    explicit TopRows(size_t room)
        : m_room(room) {}
    void offer(qint64 score, std::uint32_t row) {
        if (m_heap.size() < m_room) {
            m_heap.emplace_back(score, row);
            std::push_heap(m_heap.begin(), m_heap.end(), std::greater<>());
        } else if (score > m_heap.front().first) {
            std::pop_heap(m_heap.begin(), m_heap.end(), std::greater<>());
            m_heap.back() = {score, row};
            std::push_heap(m_heap.begin(), m_heap.end(), std::greater<>());
        }
    }
    void appendTo(std::vector<std::uint32_t>& out) const {
        for (const auto& [score, row] : m_heap)
            out.push_back(row);
    }

private:
    size_t m_room;
    std::vector<std::pair<qint64, std::uint32_t>> m_heap; ///< smallest score on top
};

bool IsWide(char32_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || c >= 0x1F300;
}

} // namespace

int GuessTextWidth(QStringView text) {
    int width = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text[i + 1].unicode())) {
            width += IsWide(QChar::surrogateToUcs4(u, text[i + 1].unicode())) ? 2 : 1;
            ++i;
        } else {
            width += IsWide(u) ? 2 : 1; // a lone surrogate shows as one replacement character
        }
    }
    return width;
}

WidestRows FindWidestRows(const std::vector<ListRow>& rows) {
    WidestRows widest;
    TopRows names(kWidestPerColumn);
    TopRows sizes(kWidestPerColumn - 2);
    TopRows latest(kWidestPerColumn / 2);
    TopRows earliest(kWidestPerColumn / 2);
    // One row per distinct extension text; the rows of one listing share their strings, so a
    // text is looked up only where it changes from one row to the next.
    QHash<QString, std::uint32_t> extensions;
    const QChar* previousExtension = nullptr;
    int folder = -1, oversize = -1;
    for (size_t i = 0; i < rows.size(); ++i) {
        const ListRow& row = rows[i];
        const std::uint32_t index = std::uint32_t(i);
        names.offer(GuessTextWidth(row.name), index);
        if (row.extension.constData() != previousExtension) {
            previousExtension = row.extension.constData();
            extensions.insert(row.extension, index); // the last row of a text stands for it
        }
        if (row.isFolder())
            folder = int(i);
        else if (char16_t text[10]; WriteSizeKB(row.size, text) < 10)
            oversize = int(i); // "0": past the column's limit
        else
            sizes.offer(row.size, index);
        if (row.modified != kNoTime) {
            latest.offer(row.modified, index);
            earliest.offer(-row.modified, index);
        }
    }
    names.appendTo(widest[NameColumn]);
    TopRows extensionRows(kWidestPerColumn);
    for (auto it = extensions.cbegin(); it != extensions.cend(); ++it)
        extensionRows.offer(GuessTextWidth(it.key()), it.value());
    extensionRows.appendTo(widest[ExtensionColumn]);
    sizes.appendTo(widest[SizeColumn]);
    for (const int row : {folder, oversize})
        if (row >= 0)
            widest[SizeColumn].push_back(std::uint32_t(row));
    latest.appendTo(widest[TimeColumn]);
    earliest.appendTo(widest[TimeColumn]);
    return widest;
}

} // namespace tobimaru
