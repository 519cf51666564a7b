#include "converter/TableGrid.h"

#include <algorithm>

namespace conv {

TableGrid::TableGrid(const Table& table) : table_(table) {
    columns_.reserve(table.rows.size());
    for (const Row& row : table.rows) {
        std::vector<int>& starts = columns_.emplace_back();
        starts.reserve(row.cells.size());
        int column = 0;
        for (const Cell& cell : row.cells) {
            starts.push_back(column);
            column += std::max(1, cell.columnSpan);
        }
    }
}

const Cell* TableGrid::cellAt(std::size_t row, int column) const {
    const std::vector<int>& starts = columns_[row];
    const auto found = std::lower_bound(starts.begin(), starts.end(), column);
    if (found == starts.end() || *found != column) return nullptr;
    return &table_.rows[row].cells[static_cast<std::size_t>(found - starts.begin())];
}

bool TableGrid::continuesAbove(std::size_t row, std::size_t index, std::size_t groupStart) const {
    if (row <= groupStart || table_.rows[row].cells[index].verticalMerge != VerticalMerge::Continue) return false;
    const Cell* above = cellAt(row - 1, columns_[row][index]);
    return above != nullptr && above->verticalMerge != VerticalMerge::None;
}

std::size_t TableGrid::rowsSpanned(std::size_t row, std::size_t index, std::size_t groupEnd) const {
    if (table_.rows[row].cells[index].verticalMerge == VerticalMerge::None) return 1;
    const int column = columns_[row][index];
    std::size_t end = row + 1;
    while (end < groupEnd) {
        const Cell* below = cellAt(end, column);
        if (below == nullptr || below->verticalMerge != VerticalMerge::Continue) break;
        ++end;
    }
    return end - row;
}

}  // namespace conv
