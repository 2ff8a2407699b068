#pragma once

// A table has exactly two children, a head then a body; the body holds rows; the head and each row hold
// cells; a cell holds inlines. The part types are also reachable as Table::Head, Table::Body, Table::Row and
// Table::Cell.

#include "Markdown/StructuralRestrictions/Containers.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace Markdown {

/// A table cell: inlines, spanning `colspan` columns and `rowspan` rows (1 and 1 for an ordinary cell; 0
/// marks a cell covered by a neighbour's span).
class TableCell : public InlineContainerBase {
    QS_MARKDOWN_ELEMENT(TableCell, tableCell, visitTableCell, InlineContainerBase)

public:
    explicit TableCell(const std::vector<Markup>& children = {}, bool inheritSourceRange = false)
        : TableCell(1, 1, children, inheritSourceRange, 0) {}
    template <MarkupRange R>
    explicit TableCell(const R& children, bool inheritSourceRange = false)
        : TableCell(1, 1, children, inheritSourceRange, 0) {}
    TableCell(std::uint64_t colspan, std::uint64_t rowspan, const std::vector<Markup>& children = {},
              bool inheritSourceRange = false)
        : TableCell(colspan, rowspan, children, inheritSourceRange, 0) {}
    template <MarkupRange R>
    TableCell(std::uint64_t colspan, std::uint64_t rowspan, const R& children,
              bool inheritSourceRange = false)
        : TableCell(colspan, rowspan, children, inheritSourceRange, 0) {}

    std::uint64_t colspan() const { return _data.node().data().tableCellPayload().colspan; }
    std::uint64_t rowspan() const { return _data.node().data().tableCellPayload().rowspan; }
    /// Both setters always rebuild, keeping the other span.
    void setColspan(std::uint64_t colspan) {
        rebuildWithPayload(RawMarkupData::tableCell(colspan, rowspan()));
    }
    void setRowspan(std::uint64_t rowspan) {
        rebuildWithPayload(RawMarkupData::tableCell(colspan(), rowspan));
    }

private:
    template <MarkupRange R>
    TableCell(std::uint64_t colspan, std::uint64_t rowspan, const R& children, bool inheritSourceRange, int)
        : InlineContainerBase(
              buildRoot(RawMarkupData::tableCell(colspan, rowspan),
                        checkedChildNodes(children, isInlineKind, "an inline element", elementName),
                        inheritSourceRange)) {}
};

template <class R>
concept TableCellRange =
    std::ranges::input_range<R> && std::convertible_to < std::ranges::range_reference_t<R>,
const TableCell& > ;

/// Row-shaped elements (the head and the body rows): containers of cells.
class TableCellContainerBase : public Markup {
public:
    using Markup::Markup;

    ChildSequence<TableCell> cells() const { return ChildSequence<TableCell>(_data); }
    void setCells(const std::vector<TableCell>& cells) { replaceCellsInRange(0, childCount(), cells); }
    /// Puts `cells` in place of positions lower ..< upper, keeping this element's range. Throws
    /// std::out_of_range (changing nothing) for positions outside 0 ... childCount.
    void replaceCellsInRange(std::int64_t lower, std::int64_t upper, const std::vector<TableCell>& cells) {
        replaceChildren(lower, upper, rawNodesOf(cells));
    }
    template <TableCellRange R>
    void replaceCellsInRange(std::int64_t lower, std::int64_t upper, const R& cells) {
        replaceChildren(lower, upper, rawNodesOf(cells));
    }
    void appendCell(const TableCell& cell) {
        replaceCellsInRange(childCount(), childCount(), std::vector{cell});
    }

protected:
    template <TableCellRange R>
    static MarkupData buildCellContainer(RawKind kind, const R& cells, std::string_view receiver) {
        return buildRoot(
            RawMarkupData::withoutPayload(kind),
            checkedChildNodes(
                cells, [](RawKind k) { return k == RawKind::tableCell; }, "a table cell", receiver));
    }
};

class TableHead : public TableCellContainerBase {
    QS_MARKDOWN_ELEMENT(TableHead, tableHead, visitTableHead, TableCellContainerBase)

public:
    explicit TableHead(const std::vector<TableCell>& cells = {})
        : TableCellContainerBase(buildCellContainer(rawKind, cells, elementName)) {}
    explicit TableHead(const TableCell& cell) : TableHead(std::vector{cell}) {}
    template <TableCellRange R>
    explicit TableHead(const R& cells)
        : TableCellContainerBase(buildCellContainer(rawKind, cells, elementName)) {}
};

class TableRow : public TableCellContainerBase {
    QS_MARKDOWN_ELEMENT(TableRow, tableRow, visitTableRow, TableCellContainerBase)

public:
    explicit TableRow(const std::vector<TableCell>& cells = {})
        : TableCellContainerBase(buildCellContainer(rawKind, cells, elementName)) {}
    explicit TableRow(const TableCell& cell) : TableRow(std::vector{cell}) {}
    template <TableCellRange R>
    explicit TableRow(const R& cells)
        : TableCellContainerBase(buildCellContainer(rawKind, cells, elementName)) {}
};

template <class R>
concept TableRowRange =
    std::ranges::input_range<R> && std::convertible_to < std::ranges::range_reference_t<R>,
const TableRow& > ;

class TableBody : public Markup {
    QS_MARKDOWN_ELEMENT(TableBody, tableBody, visitTableBody, Markup)

public:
    explicit TableBody(const std::vector<TableRow>& rows = {}) : Markup(build(rows)) {}
    explicit TableBody(const TableRow& row) : TableBody(std::vector{row}) {}
    template <TableRowRange R> explicit TableBody(const R& rows) : Markup(build(rows)) {}

    ChildSequence<TableRow> rows() const { return ChildSequence<TableRow>(_data); }
    /// The largest cell count among the rows; 0 without rows.
    std::int64_t maxColumnCount() const;
    void setRows(const std::vector<TableRow>& rows) { replaceRowsInRange(0, childCount(), rows); }
    /// Puts `rows` in place of positions lower ..< upper, keeping the body's range. Throws std::out_of_range
    /// (changing nothing) for positions outside 0 ... childCount.
    void replaceRowsInRange(std::int64_t lower, std::int64_t upper, const std::vector<TableRow>& rows) {
        replaceChildren(lower, upper, rawNodesOf(rows));
    }
    template <TableRowRange R>
    void replaceRowsInRange(std::int64_t lower, std::int64_t upper, const R& rows) {
        replaceChildren(lower, upper, rawNodesOf(rows));
    }
    void appendRow(const TableRow& row) { replaceRowsInRange(childCount(), childCount(), std::vector{row}); }

private:
    template <TableRowRange R> static MarkupData build(const R& rows) {
        return buildRoot(
            RawMarkupData::withoutPayload(rawKind),
            checkedChildNodes(
                rows, [](RawKind k) { return k == RawKind::tableRow; }, "a table row", elementName));
    }
};

class Table : public Markup {
    QS_MARKDOWN_ELEMENT(Table, table, visitTable, Markup)

public:
    using ColumnAlignment = TableColumnAlignment;
    using ColumnAlignments = std::vector<std::optional<ColumnAlignment>>;
    using Head = TableHead;
    using Body = TableBody;
    using Row = TableRow;
    using Cell = TableCell;

    /// A table of `header` and `body`. The alignment list (empty when absent) is completed with absent
    /// entries up to the column count; a longer list is kept whole.
    Table(std::optional<ColumnAlignments> columnAlignments, const TableHead& header, const TableBody& body);

    const ColumnAlignments& columnAlignments() const {
        return _data.node().data().tablePayload().columnAlignments;
    }
    /// The larger of the head's cell count and the body's widest row.
    std::int64_t maxColumnCount() const;
    /// Child 0 and child 1. Throw std::logic_error when an unchecked edit left the table without them.
    TableHead head() const;
    TableBody body() const;
    /// True when the head has no cells and the body no rows.
    bool isEmpty() const;

    /// The three setters always rebuild, completing the alignments for the new column count.
    void setColumnAlignments(ColumnAlignments columnAlignments);
    void setHead(const TableHead& head);
    void setBody(const TableBody& body);

private:
    void rebuild(const RawMarkupRef& head, const RawMarkupRef& body, ColumnAlignments alignments);
};

} // namespace Markdown
