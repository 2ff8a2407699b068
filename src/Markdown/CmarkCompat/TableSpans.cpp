#include "TableSpans.h"

#include <cmark-gfm-extension_api.h>

#include <cstring>
#include <vector>

namespace Markdown::CmarkCompat {

namespace {

struct Cell {
    cmark_node* node;
    bool hasSpanData; // false for fillers added to short rows
    int colspan = 1;
    int rowspan = 1;
};

bool isFiller(cmark_node* cell) {
    return cmark_node_get_start_column(cell) == 0;
}

bool isEmptyBetweenPipes(cmark_node* cell) {
    return cmark_node_get_end_column(cell) < cmark_node_get_start_column(cell);
}

bool isRowMarker(cmark_node* cell) {
    const char* content = cmark_node_get_string_content(cell);
    return content && std::strcmp(content, "^") == 0;
}

void removeChildren(cmark_node* node) {
    while (cmark_node* child = cmark_node_first_child(node)) {
        cmark_node_free(child);
    }
}

} // namespace

void recordTableCellSpans(CmarkDocument::Tables& tables, cmark_node* table) {
    std::vector<std::vector<Cell>> rows;
    for (cmark_node* row = cmark_node_first_child(table); row; row = cmark_node_next(row)) {
        std::vector<Cell>& cells = rows.emplace_back();
        for (cmark_node* cell = cmark_node_first_child(row); cell; cell = cmark_node_next(cell)) {
            cells.push_back({cell, !isFiller(cell)});
        }
    }

    for (std::size_t r = 0; r < rows.size(); ++r) {
        std::vector<Cell>& cells = rows[r];
        for (std::size_t c = 0; c < cells.size(); ++c) {
            Cell& cell = cells[c];
            if (!cell.hasSpanData) {
                continue;
            }
            if (isEmptyBetweenPipes(cell.node)) {
                for (std::size_t before = c; before-- > 0;) {
                    if (cells[before].hasSpanData && cells[before].colspan != 0) {
                        ++cells[before].colspan;
                        cell.colspan = 0;
                        break;
                    }
                }
            }
            // Header cells are never covered; body cells look upward, the header row included.
            if (r == 0 || !isRowMarker(cell.node)) {
                continue;
            }
            for (std::size_t above = r; above-- > 0;) {
                if (c >= rows[above].size() || !rows[above][c].hasSpanData) {
                    break;
                }
                Cell& upper = rows[above][c];
                if (upper.rowspan != 0) {
                    ++upper.rowspan;
                    cell.rowspan = 0;
                    removeChildren(cell.node);
                    break;
                }
            }
        }
    }

    for (const std::vector<Cell>& cells : rows) {
        for (const Cell& cell : cells) {
            if (cell.hasSpanData) {
                tables.annotate(cell.node).cellSpans = std::pair(cell.colspan, cell.rowspan);
            }
        }
    }
}

} // namespace Markdown::CmarkCompat
