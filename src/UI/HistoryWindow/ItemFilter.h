#pragma once

#include <Storage/ClipboardItem.h>

#include <QList>
#include <QString>

// The kind filters of the history list, in chip order.
enum class ItemFilter { all, text, images, code, links, snippets };

namespace ItemFilters {

const QList<ItemFilter>& allCases();
QString rawValue(ItemFilter filter);
// The chip title in the current interface language.
QString title(ItemFilter filter);
// The icon name of the chip.
QString symbolName(ItemFilter filter);

// `all` lets through every kind except snippets; `text` covers text, rich text, files and colours;
// the others one kind each. An unknown stored kind counts as text.
bool matches(ItemFilter filter, const ClipboardItem& item);
bool matches(ItemFilter filter, ItemType type);

} // namespace ItemFilters
