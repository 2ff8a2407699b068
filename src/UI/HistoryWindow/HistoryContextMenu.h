#pragma once

#include <Analysis/ContentClassifier.h>
#include <Analysis/TextTransform.h>
#include <Storage/ClipboardItem.h>

#include <QList>
#include <QString>

#include <optional>

// The entries of a history row's context menu, decided from the item alone, and the rule for which
// items offer text tools.
namespace HistoryContextMenu {

enum class Action {
    paste,
    pastePlainText,
    copy,
    toggleQueue,
    pasteOCRText,
    transformSubmenu,
    transform,
    smartActionSubmenu,
    smartAction,
    separator,
    saveAsSnippet,
    togglePin,
    quickLook,
    deleteItem
};

struct Entry {
    Action action;
    QString title;
    QString symbolName;
    std::optional<TextTransform> transform;
    std::optional<ContentClassifier::SmartAction> smartAction;
    QList<Entry> children;
};

// Images and files never offer text tools; other items do when they have a text (even empty).
bool isTextual(const ClipboardItem& item);

// `queued`: the item is part of the multi-selection.
QList<Entry> entries(const ClipboardItem& item, bool queued);

QString smartActionSymbol(ContentClassifier::SmartAction::Kind kind);

} // namespace HistoryContextMenu
