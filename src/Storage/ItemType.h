#pragma once

#include <QList>
#include <QString>

#include <optional>

// The kind of a history item, stored in the item as its raw string.
enum class ItemType { text, richText, code, image, url, file, color, snippet };

namespace ItemTypes {

// Every kind, in declaration order.
const QList<ItemType>& allCases();

QString rawValue(ItemType type);
// Exact, case-sensitive match of a raw value; anything else gives nullopt.
std::optional<ItemType> fromRawValue(QStringView raw);
// The name of the symbol (icon) that stands for the kind.
QString systemImageName(ItemType type);

} // namespace ItemTypes
