#include "ItemRow.h"

#include <UI/Design/KeyNotation.h>

#include <QFileInfo>
#include <QUrl>

namespace {

std::optional<QString> leading(const std::optional<QString>& text) {
    if (!text || text->size() <= ItemRowSnapshot::kTextLimit)
        return text;
    const qsizetype end = ItemRowSnapshot::kTextLimit;
    return text->left(text->at(end - 1).isHighSurrogate() ? end - 1 : end);
}

} // namespace

ItemRowSnapshot ItemRowSnapshot::make(const ClipboardItem& item, int index) {
    ItemRowSnapshot row;
    row.itemID = item.id();
    row.type = item.type();
    row.previewTitle = item.previewTitle(kTextLimit);
    row.snippetTitle = leading(item.snippetTitle());
    row.imageFilename = item.imageFilename();
    row.detectedLanguage = item.detectedLanguage();
    row.sourceAppBundleID = item.sourceAppBundleID();
    row.isPinned = item.isPinned();
    row.hasOCR = item.ocrText().has_value();
    row.contentTags = ContentClassifier::parseTags(item.contentTagsRaw());
    row.plainText = leading(item.plainText());
    row.index = index;
    return row;
}

namespace ItemRowPresentation {

namespace {

QString urlTitle(const ItemRowSnapshot& row) {
    if (row.plainText) {
        const QUrl url(*row.plainText);
        if (url.isValid() && !url.host().isEmpty())
            return url.host().remove(QStringLiteral("www."));
    }
    return row.previewTitle;
}

QString fileTitle(const ItemRowSnapshot& row) {
    if (!row.plainText)
        return QStringLiteral("File");
    const QString firstPath = row.plainText->left(row.plainText->indexOf(u'\n'));
    return QFileInfo(firstPath).fileName();
}

Badge tagBadge(ContentClassifier::ContentTag tag) {
    using ContentClassifier::ContentTag;
    switch (tag) {
    case ContentTag::email:
        return {QStringLiteral("EMAIL"), Tint::blue};
    case ContentTag::phone:
        return {QStringLiteral("PHONE"), Tint::green};
    case ContentTag::hexColor:
        return {QStringLiteral("HEX"), Tint::pink};
    case ContentTag::json:
        return {QStringLiteral("JSON"), Tint::orange};
    case ContentTag::date:
        return {QStringLiteral("DATE"), Tint::purple};
    case ContentTag::address:
        return {QStringLiteral("ADDR"), Tint::red};
    }
    return {};
}

} // namespace

Title title(const ItemRowSnapshot& row) {
    switch (row.type) {
    case ItemType::code:
        return {row.previewTitle, TitleFont::monospaced, Tint::primary, 1};
    case ItemType::image:
        return {row.hasOCR && !row.previewTitle.isEmpty() ? row.previewTitle : QStringLiteral("Image"),
                TitleFont::regular, Tint::primary, 1};
    case ItemType::url:
        return {urlTitle(row), TitleFont::regular, Tint::url, 1};
    case ItemType::file:
        return {fileTitle(row), TitleFont::regular, Tint::primary, 1};
    case ItemType::color:
        return {row.plainText.value_or(QString()), TitleFont::monospaced, Tint::primary, 1};
    case ItemType::snippet:
        return {row.snippetTitle.value_or(QString()), TitleFont::regular, Tint::primary, 1};
    case ItemType::text:
    case ItemType::richText:
        break;
    }
    return {row.previewTitle, TitleFont::regular, Tint::primary, 2};
}

QList<Badge> badges(const ItemRowSnapshot& row) {
    switch (row.type) {
    case ItemType::code:
        if (row.detectedLanguage)
            return {{row.detectedLanguage->toUpper(), Tint::code}};
        return {};
    case ItemType::image: {
        QList<Badge> list{{QStringLiteral("IMG"), Tint::image}};
        if (row.hasOCR)
            list.append({QStringLiteral("OCR"), Tint::indigo});
        return list;
    }
    case ItemType::url:
        return {};
    case ItemType::snippet:
        return {{QStringLiteral("SNIPPET"), Tint::snippet}};
    case ItemType::text:
    case ItemType::richText:
    case ItemType::file:
    case ItemType::color:
        break;
    }
    QList<Badge> list;
    for (const auto tag : row.contentTags.first(std::min<qsizetype>(2, row.contentTags.size())))
        list.append(tagBadge(tag));
    return list;
}

std::optional<QString> secondaryText(const ItemRowSnapshot& row) {
    if (row.type == ItemType::url)
        return row.previewTitle;
    return std::nullopt;
}

MultiMark multiMark(const ItemRowSnapshot& row) {
    if (row.isMultiSelected)
        return MultiMark::checked;
    return row.multiSelectMode ? MultiMark::unchecked : MultiMark::none;
}

std::optional<QString> keyHint(const ItemRowSnapshot& row) {
    if (row.index > 8 || row.index < 0 || row.multiSelectMode)
        return std::nullopt;
    return KeyNotation::withModifiers(Hotkeys::ModifierFlag::Control, QString::number(row.index + 1));
}

std::optional<QColor> swatchColor(const ItemRowSnapshot& row) {
    if (row.type != ItemType::color || !row.plainText)
        return std::nullopt;
    return ContentClassifier::colorFromHex(*row.plainText);
}

Tint typeTint(ItemType type) {
    switch (type) {
    case ItemType::text:
    case ItemType::richText:
        return Tint::secondary;
    case ItemType::code:
        return Tint::code;
    case ItemType::image:
        return Tint::image;
    case ItemType::url:
        return Tint::url;
    case ItemType::file:
        return Tint::file;
    case ItemType::color:
        return Tint::pink;
    case ItemType::snippet:
        return Tint::snippet;
    }
    return Tint::secondary;
}

} // namespace ItemRowPresentation
