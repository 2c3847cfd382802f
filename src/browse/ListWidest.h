#pragma once

#include "browse/ListRow.h"

#include <array>
#include <cstdint>
#include <vector>

namespace tobimaru {

/// Rows whose texts are likely the widest of their column, by column: fitting the columns of a
/// list of a million rows measures these and the rows in view instead of every row. A text's
/// width is guessed from its characters (East Asian wide ones count twice); the size column
/// takes the biggest files, folders and sizes past its limit, the time column the earliest and
/// latest times.
using WidestRows = std::array<std::vector<std::uint32_t>, ColumnCount>;

/// How many rows a column keeps at most.
inline constexpr size_t kWidestPerColumn = 24;

/// The candidates of every column, as row indexes.
WidestRows FindWidestRows(const std::vector<ListRow>& rows);

/// The guess of a text's width in narrow characters.
int GuessTextWidth(QStringView text);

} // namespace tobimaru
