#pragma once

#include "ItemType.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QUuid>

#include <memory>
#include <optional>

// The stored fields of a history item, one per column of the ClipboardItem table. Absent values
// (nullopt) and empty strings stay distinct.
struct ClipboardItemRecord {
    QUuid id;
    QString typeRaw;
    std::optional<QString> plainText;
    std::optional<QByteArray> richData;
    std::optional<QString> imageFilename;
    std::optional<QString> detectedLanguage;
    std::optional<QString> sourceAppBundleID;
    std::optional<QString> sourceAppName;
    // Unix time in seconds, with sub-millisecond precision; the history's sort key, newest first.
    double createdAt = 0;
    bool isPinned = false;
    QString dedupeKey;
    std::optional<QString> snippetTitle;
    std::optional<QString> ocrText;
    std::optional<QString> contentTagsRaw;

    bool operator==(const ClipboardItemRecord&) const = default;
};

// What the creator of a new item gives; the rest (id, creation time, pin) is set on creation.
struct NewClipboardItem {
    ItemType type = ItemType::text;
    std::optional<QString> plainText;
    std::optional<QByteArray> richData;
    std::optional<QString> imageFilename;
    std::optional<QString> detectedLanguage;
    std::optional<QString> sourceAppBundleID;
    std::optional<QString> sourceAppName;
    QString dedupeKey;
    std::optional<QString> snippetTitle;
    std::optional<QString> ocrText;
    std::optional<QString> contentTagsRaw;
};

// One entry of the clipboard history or one snippet. The history store keeps exactly one object
// per item id and is the only writer of its fields after the item has been stored; everyone else
// holds items through shared pointers and reads them.
class ClipboardItem {
public:
    // A new, not yet stored item: a new random id, created now, not pinned.
    static std::shared_ptr<ClipboardItem> make(NewClipboardItem content);
    // An item with exactly these stored fields (as read back from the store).
    static std::shared_ptr<ClipboardItem> restore(ClipboardItemRecord record);

    const ClipboardItemRecord& record() const { return m_record; }

    const QUuid& id() const { return m_record.id; }
    const QString& typeRaw() const { return m_record.typeRaw; }
    const std::optional<QString>& plainText() const { return m_record.plainText; }
    const std::optional<QByteArray>& richData() const { return m_record.richData; }
    const std::optional<QString>& imageFilename() const { return m_record.imageFilename; }
    const std::optional<QString>& detectedLanguage() const { return m_record.detectedLanguage; }
    const std::optional<QString>& sourceAppBundleID() const { return m_record.sourceAppBundleID; }
    const std::optional<QString>& sourceAppName() const { return m_record.sourceAppName; }
    double createdAtSeconds() const { return m_record.createdAt; }
    QDateTime createdAt() const;
    bool isPinned() const { return m_record.isPinned; }
    const QString& dedupeKey() const { return m_record.dedupeKey; }
    const std::optional<QString>& snippetTitle() const { return m_record.snippetTitle; }
    const std::optional<QString>& ocrText() const { return m_record.ocrText; }
    const std::optional<QString>& contentTagsRaw() const { return m_record.contentTagsRaw; }

    // The kind read from typeRaw; a raw value that names no kind reads as text everywhere.
    ItemType type() const;
    // The first line of the text (else of the recognised text) that is not blank, untrimmed.
    QString previewTitle() const;
    // The same for a list row, at a cost that never grows with the item: at most `maxLength` units
    // (a surrogate pair stays whole), found within the first kTitleScanLimit units of each text.
    QString previewTitle(qsizetype maxLength) const;
    static constexpr qsizetype kTitleScanLimit = 64 * 1024;
    // The name of the symbol (icon) that stands for the item's kind.
    QString systemImageName() const;
    // plainText, ocrText and snippetTitle, each when present (even empty), joined with "\n".
    QString searchableText() const;

    // The current time as stored in createdAt.
    static double now();

private:
    friend class HistoryStore;
    explicit ClipboardItem(ClipboardItemRecord record) : m_record(std::move(record)) {}

    ClipboardItemRecord m_record;
    // Tagged (and typed by the colour rule) before reaching the store; not stored.
    bool m_classified = false;
};

using ClipboardItemPtr = std::shared_ptr<ClipboardItem>;
