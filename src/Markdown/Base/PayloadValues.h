#pragma once

namespace Markdown {

/// The state of a task-list item. A list item stores an optional checkbox: absent for an ordinary item.
enum class Checkbox { checked, unchecked };

/// The alignment of one table column (exposed as `Table::ColumnAlignment`). A table stores one optional
/// alignment per column: absent when none was given.
enum class TableColumnAlignment { left, center, right };

} // namespace Markdown
