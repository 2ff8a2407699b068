#include "ItemType.h"

namespace ItemTypes {

const QList<ItemType>& allCases() {
    static const QList<ItemType> all = {ItemType::text,  ItemType::richText, ItemType::code,
                                        ItemType::image, ItemType::url,      ItemType::file,
                                        ItemType::color, ItemType::snippet};
    return all;
}

QString rawValue(ItemType type) {
    switch (type) {
    case ItemType::text:
        return QStringLiteral("text");
    case ItemType::richText:
        return QStringLiteral("richText");
    case ItemType::code:
        return QStringLiteral("code");
    case ItemType::image:
        return QStringLiteral("image");
    case ItemType::url:
        return QStringLiteral("url");
    case ItemType::file:
        return QStringLiteral("file");
    case ItemType::color:
        return QStringLiteral("color");
    case ItemType::snippet:
        return QStringLiteral("snippet");
    }
    return {};
}

std::optional<ItemType> fromRawValue(QStringView raw) {
    for (ItemType type : allCases()) {
        if (raw == rawValue(type))
            return type;
    }
    return std::nullopt;
}

QString systemImageName(ItemType type) {
    switch (type) {
    case ItemType::text:
    case ItemType::richText:
        return QStringLiteral("doc.text");
    case ItemType::code:
        return QStringLiteral("curlybraces");
    case ItemType::image:
        return QStringLiteral("photo");
    case ItemType::url:
        return QStringLiteral("link");
    case ItemType::file:
        return QStringLiteral("doc");
    case ItemType::color:
        return QStringLiteral("paintpalette");
    case ItemType::snippet:
        return QStringLiteral("note.text");
    }
    return QStringLiteral("doc.text");
}

} // namespace ItemTypes
