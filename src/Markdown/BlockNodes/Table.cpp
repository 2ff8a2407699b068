#include "Markdown/BlockNodes/Table.h"

#include <algorithm>
#include <stdexcept>

namespace Markdown {

namespace {

std::int64_t widestRow(const RawMarkup& body) {
    std::int64_t widest = 0;
    for (const RawMarkupRef& row : body.children()) {
        widest = std::max(widest, row->childCount());
    }
    return widest;
}

Table::ColumnAlignments completed(Table::ColumnAlignments alignments, const RawMarkup& head,
                                  const RawMarkup& body) {
    const std::int64_t columns = std::max(head.childCount(), widestRow(body));
    if (static_cast<std::int64_t>(alignments.size()) < columns) {
        alignments.resize(static_cast<std::size_t>(columns));
    }
    return alignments;
}

const RawMarkupRef& requiredChild(const RawMarkup& table, std::int64_t position, RawKind kind) {
    if (table.childCount() <= position || table.child(position)->kind() != kind) {
        throw std::logic_error("Table: child " + std::to_string(position) + " is not a " +
                               std::string(rawKindName(kind)));
    }
    return table.child(position);
}

} // namespace

std::int64_t TableBody::maxColumnCount() const {
    return widestRow(_data.node());
}

Table::Table(std::optional<ColumnAlignments> columnAlignments, const TableHead& header, const TableBody& body)
    : Markup(buildRoot(RawMarkupData::table(completed(columnAlignments.value_or(ColumnAlignments{}),
                                                      header.data().node(), body.data().node())),
                       {header.data().raw().markup, body.data().raw().markup})) {}

std::int64_t Table::maxColumnCount() const {
    return std::max(head().childCount(), body().maxColumnCount());
}

TableHead Table::head() const {
    requiredChild(_data.node(), 0, RawKind::tableHead);
    return TableHead(*_data.child(0));
}

TableBody Table::body() const {
    requiredChild(_data.node(), 1, RawKind::tableBody);
    return TableBody(*_data.child(1));
}

bool Table::isEmpty() const {
    return head().childCount() == 0 && body().childCount() == 0;
}

void Table::setColumnAlignments(ColumnAlignments columnAlignments) {
    rebuild(requiredChild(_data.node(), 0, RawKind::tableHead),
            requiredChild(_data.node(), 1, RawKind::tableBody), std::move(columnAlignments));
}

void Table::setHead(const TableHead& head) {
    rebuild(head.data().raw().markup, requiredChild(_data.node(), 1, RawKind::tableBody), columnAlignments());
}

void Table::setBody(const TableBody& body) {
    rebuild(requiredChild(_data.node(), 0, RawKind::tableHead), body.data().raw().markup, columnAlignments());
}

void Table::rebuild(const RawMarkupRef& head, const RawMarkupRef& body, ColumnAlignments alignments) {
    const RawMarkupRef keptHead = head;
    const RawMarkupRef keptBody = body;
    const RawMarkupRef node =
        RawMarkup::create(RawMarkupData::table(completed(std::move(alignments), *keptHead, *keptBody)),
                          std::nullopt, {keptHead, keptBody});
    _data = _data.replacingSelf(node, false);
}

} // namespace Markdown
