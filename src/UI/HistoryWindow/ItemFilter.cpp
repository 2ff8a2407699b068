#include "ItemFilter.h"

#include <QCoreApplication>

namespace ItemFilters {

const QList<ItemFilter>& allCases() {
    static const QList<ItemFilter> cases{ItemFilter::all,  ItemFilter::text,  ItemFilter::images,
                                         ItemFilter::code, ItemFilter::links, ItemFilter::snippets};
    return cases;
}

QString rawValue(ItemFilter filter) {
    switch (filter) {
    case ItemFilter::all:
        return QStringLiteral("all");
    case ItemFilter::text:
        return QStringLiteral("text");
    case ItemFilter::images:
        return QStringLiteral("images");
    case ItemFilter::code:
        return QStringLiteral("code");
    case ItemFilter::links:
        return QStringLiteral("links");
    case ItemFilter::snippets:
        return QStringLiteral("snippets");
    }
    return {};
}

QString title(ItemFilter filter) {
    switch (filter) {
    case ItemFilter::all:
        return QCoreApplication::translate("HistoryView", "All");
    case ItemFilter::text:
        return QCoreApplication::translate("HistoryView", "Text");
    case ItemFilter::images:
        return QCoreApplication::translate("HistoryView", "Images");
    case ItemFilter::code:
        return QCoreApplication::translate("HistoryView", "Code");
    case ItemFilter::links:
        return QCoreApplication::translate("HistoryView", "Links");
    case ItemFilter::snippets:
        return QCoreApplication::translate("HistoryView", "Snippets");
    }
    return {};
}

QString symbolName(ItemFilter filter) {
    switch (filter) {
    case ItemFilter::all:
        return QStringLiteral("square.grid.2x2");
    case ItemFilter::text:
        return QStringLiteral("doc.text");
    case ItemFilter::images:
        return QStringLiteral("photo");
    case ItemFilter::code:
        return QStringLiteral("curlybraces");
    case ItemFilter::links:
        return QStringLiteral("link");
    case ItemFilter::snippets:
        return QStringLiteral("note.text");
    }
    return {};
}

bool matches(ItemFilter filter, const ClipboardItem& item) {
    return matches(filter, item.type());
}

bool matches(ItemFilter filter, ItemType type) {
    switch (filter) {
    case ItemFilter::all:
        return type != ItemType::snippet;
    case ItemFilter::text:
        return type == ItemType::text || type == ItemType::richText || type == ItemType::file ||
               type == ItemType::color;
    case ItemFilter::images:
        return type == ItemType::image;
    case ItemFilter::code:
        return type == ItemType::code;
    case ItemFilter::links:
        return type == ItemType::url;
    case ItemFilter::snippets:
        return type == ItemType::snippet;
    }
    return false;
}

} // namespace ItemFilters
