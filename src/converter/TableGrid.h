#pragma once
// Where each cell of a table stands in its grid of columns, so that cells
// merged across rows can be written as one cell spanning them.

#include <cstddef>
#include <vector>

#include "converter/Document.h"

namespace conv {

class TableGrid {
public:
    explicit TableGrid(const Table& table);

    // True when the cell continues a merge begun in the row above, within
    // the rows from `groupStart` (a table's head and body are merged apart):
    // the cell above spans it and it is not written.
    bool continuesAbove(std::size_t row, std::size_t index, std::size_t groupStart) const;

    // How many rows the cell spans: itself and the continuing cells below it
    // in its column, up to `groupEnd`.
    std::size_t rowsSpanned(std::size_t row, std::size_t index, std::size_t groupEnd) const;

private:
    // The cell of `row` that starts at `column`, or nullptr.
    const Cell* cellAt(std::size_t row, int column) const;

    const Table& table_;
    std::vector<std::vector<int>> columns_;  // per row, each cell's first column
};

}  // namespace conv
