#pragma once

#include <Analysis/ContentClassifier.h>
#include <Storage/ClipboardItem.h>

#include <QColor>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QUuid>

#include <optional>

// What one row of the history list shows: plain copies of the item fields it draws plus the row's
// interaction state. Two snapshots compare equal when the row would look the same in practice, so
// the list repaints only rows whose snapshot changed. Texts are kept only as far as a row can show
// them (kTextLimit units), so making and comparing snapshots costs the same for any item.
struct ItemRowSnapshot {
    // Room for the longest web address a row shows in full, and far more than a row's two lines.
    static constexpr qsizetype kTextLimit = 2048;

    QUuid itemID;
    ItemType type = ItemType::text;
    QString previewTitle;
    std::optional<QString> snippetTitle;
    std::optional<QString> imageFilename;
    std::optional<QString> detectedLanguage;
    std::optional<QString> sourceAppBundleID;
    bool isPinned = false;
    bool hasOCR = false;
    QList<ContentClassifier::ContentTag> contentTags;
    std::optional<QString> plainText;
    int index = 0;
    bool isSelected = false;
    bool isHovered = false;
    bool isMultiSelected = false;
    bool multiSelectMode = false;

    static ItemRowSnapshot make(const ClipboardItem& item, int index);

    friend bool operator==(const ItemRowSnapshot& a, const ItemRowSnapshot& b) {
        return a.itemID == b.itemID && a.index == b.index && a.isSelected == b.isSelected &&
               a.isHovered == b.isHovered && a.isMultiSelected == b.isMultiSelected &&
               a.multiSelectMode == b.multiSelectMode && a.isPinned == b.isPinned && a.hasOCR == b.hasOCR &&
               a.previewTitle == b.previewTitle && a.snippetTitle == b.snippetTitle &&
               a.detectedLanguage == b.detectedLanguage;
    }
};
Q_DECLARE_METATYPE(ItemRowSnapshot)

// The texts and marks of a row, decided from its snapshot alone.
namespace ItemRowPresentation {

enum class Tint {
    primary,
    secondary,
    brand,
    code,
    image,
    url,
    file,
    snippet,
    pink,
    blue,
    green,
    orange,
    purple,
    red,
    indigo
};

struct Badge {
    QString text;
    Tint tint;
    bool operator==(const Badge&) const = default;
};

enum class TitleFont { regular, monospaced };

struct Title {
    QString text;
    TitleFont font = TitleFont::regular;
    Tint tint = Tint::primary;
    int maxLines = 1;
    bool operator==(const Title&) const = default;
};

enum class MultiMark { none, checked, unchecked };

Title title(const ItemRowSnapshot& row);
QList<Badge> badges(const ItemRowSnapshot& row);
// A URL row shows its full text under the host instead of badges.
std::optional<QString> secondaryText(const ItemRowSnapshot& row);
MultiMark multiMark(const ItemRowSnapshot& row);
// The key of the row's Ctrl+digit pick ("Ctrl+1" to "Ctrl+9") for rows 0 to 8 outside
// multi-selection mode.
std::optional<QString> keyHint(const ItemRowSnapshot& row);
// The colour a colour item shows as its swatch.
std::optional<QColor> swatchColor(const ItemRowSnapshot& row);
// The tint of the item kind's tile (its icon is ItemTypes::systemImageName).
Tint typeTint(ItemType type);

} // namespace ItemRowPresentation
