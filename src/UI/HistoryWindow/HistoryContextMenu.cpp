#include "HistoryContextMenu.h"

#include <QCoreApplication>

namespace HistoryContextMenu {

namespace {
QString tr(const char* text) {
    return QCoreApplication::translate("HistoryView", text);
}
} // namespace

bool isTextual(const ClipboardItem& item) {
    const ItemType type = item.type();
    if (type == ItemType::image || type == ItemType::file)
        return false;
    return item.plainText().has_value();
}

QString smartActionSymbol(ContentClassifier::SmartAction::Kind kind) {
    using Kind = ContentClassifier::SmartAction::Kind;
    switch (kind) {
    case Kind::mail:
        return QStringLiteral("envelope");
    case Kind::call:
        return QStringLiteral("phone");
    case Kind::openMaps:
        return QStringLiteral("map");
    case Kind::copyHex:
        return QStringLiteral("paintpalette");
    case Kind::pastePrettyJSON:
        return QStringLiteral("curlybraces.square");
    }
    return {};
}

QList<Entry> entries(const ClipboardItem& item, bool queued) {
    QList<Entry> list;
    list.append({Action::paste, tr("Paste"), {}, {}, {}, {}});
    list.append({Action::pastePlainText, tr("Paste as Plain Text"), {}, {}, {}, {}});
    list.append({Action::copy, tr("Copy"), {}, {}, {}, {}});
    list.append(
        {Action::toggleQueue, queued ? tr("Remove from Queue") : tr("Add to Paste Queue"), {}, {}, {}, {}});
    if (item.ocrText() && !item.ocrText()->isEmpty())
        list.append({Action::pasteOCRText, tr("Paste OCR Text"), {}, {}, {}, {}});
    const bool textual = isTextual(item);
    if (textual) {
        Entry transforms{Action::transformSubmenu, tr("Transform & Paste"), {}, {}, {}, {}};
        for (const TextTransform transform : TextTransforms::allCases())
            transforms.children.append(
                {Action::transform, TextTransforms::title(transform), {}, transform, {}, {}});
        list.append(transforms);

        const QString text = item.plainText().value_or(QString());
        const auto actions =
            ContentClassifier::actions(text, ContentClassifier::parseTags(item.contentTagsRaw()));
        if (!actions.isEmpty()) {
            Entry smart{Action::smartActionSubmenu, tr("Smart Actions"), {}, {}, {}, {}};
            for (const auto& action : actions)
                smart.children.append(
                    {Action::smartAction, action.title(), smartActionSymbol(action.kind), {}, action, {}});
            list.append(smart);
        }
    }
    list.append({Action::separator, {}, {}, {}, {}, {}});
    if (textual && item.type() != ItemType::snippet)
        list.append({Action::saveAsSnippet, tr("Save as Snippet"), {}, {}, {}, {}});
    list.append({Action::togglePin, item.isPinned() ? tr("Unpin") : tr("Pin"), {}, {}, {}, {}});
    list.append({Action::quickLook, tr("Quick Look"), {}, {}, {}, {}});
    list.append({Action::deleteItem, tr("Delete"), {}, {}, {}, {}});
    return list;
}

} // namespace HistoryContextMenu
