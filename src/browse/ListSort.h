#pragma once

#include "browse/ListRow.h"

#include <vector>

namespace tobimaru {

/// The displayed order of a listing for one sort state.
struct ListOrder {
    int column = -1; ///< -1: not sorted yet
    bool descending = false;
    std::vector<int> order;      ///< displayed position → row index
    std::vector<int> positionOf; ///< row index → displayed position
    bool sortedFor(int c, bool d, size_t rows) const {
        return column == c && descending == d && order.size() == rows;
    }
};

/// Sorts rows by the text of one column (ListRowText), without regard to case; rows whose texts
/// differ only in case come in the order of the texts themselves, and rows with equal texts come
/// in ascending name order, in both directions. A big list is sorted on two threads.
ListOrder SortListRows(const std::vector<ListRow>& rows, int column, bool descending);

} // namespace tobimaru
