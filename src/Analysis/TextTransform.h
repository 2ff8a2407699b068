#pragma once

#include <QList>
#include <QString>

#include <optional>

// The text transformations offered on an item's text: pure functions from string to string.
enum class TextTransform {
    uppercased,
    lowercased,
    trimmed,
    removeEmptyLines,
    camelToSnake,
    snakeToCamel,
    escapeJSON
};

namespace TextTransforms {

// Every transform, in menu order.
const QList<TextTransform>& allCases();

QString rawValue(TextTransform transform);
std::optional<TextTransform> fromRawValue(QStringView raw);

// The menu title in the current interface language.
QString title(TextTransform transform);

QString apply(TextTransform transform, const QString& text);

} // namespace TextTransforms
