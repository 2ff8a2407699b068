#include "ClipboardItem.h"

#include "ClipboardEngine/TextLines.h"

#include <QStringList>
#include <QTimeZone>

#include <chrono>

namespace {

std::optional<QString> firstNonBlankLine(const std::optional<QString>& text) {
    if (!text)
        return std::nullopt;
    for (QStringView line : TextLines::split(*text)) {
        if (!TextLines::trimHorizontal(line).isEmpty())
            return line.toString();
    }
    return std::nullopt;
}

} // namespace

std::shared_ptr<ClipboardItem> ClipboardItem::make(NewClipboardItem content) {
    ClipboardItemRecord record;
    record.id = QUuid::createUuid();
    record.typeRaw = ItemTypes::rawValue(content.type);
    record.plainText = std::move(content.plainText);
    record.richData = std::move(content.richData);
    record.imageFilename = std::move(content.imageFilename);
    record.detectedLanguage = std::move(content.detectedLanguage);
    record.sourceAppBundleID = std::move(content.sourceAppBundleID);
    record.sourceAppName = std::move(content.sourceAppName);
    record.createdAt = now();
    record.isPinned = false;
    record.dedupeKey = std::move(content.dedupeKey);
    record.snippetTitle = std::move(content.snippetTitle);
    record.ocrText = std::move(content.ocrText);
    record.contentTagsRaw = std::move(content.contentTagsRaw);
    return restore(std::move(record));
}

std::shared_ptr<ClipboardItem> ClipboardItem::restore(ClipboardItemRecord record) {
    return std::shared_ptr<ClipboardItem>(new ClipboardItem(std::move(record)));
}

double ClipboardItem::now() {
    using namespace std::chrono;
    return duration<double>(system_clock::now().time_since_epoch()).count();
}

QDateTime ClipboardItem::createdAt() const {
    return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(m_record.createdAt * 1000.0), QTimeZone::utc());
}

ItemType ClipboardItem::type() const {
    return ItemTypes::fromRawValue(m_record.typeRaw).value_or(ItemType::text);
}

QString ClipboardItem::previewTitle() const {
    if (auto line = firstNonBlankLine(m_record.plainText))
        return *line;
    if (auto line = firstNonBlankLine(m_record.ocrText))
        return *line;
    return QString();
}

QString ClipboardItem::systemImageName() const {
    return ItemTypes::systemImageName(type());
}

QString ClipboardItem::searchableText() const {
    QStringList parts;
    for (const auto* field : {&m_record.plainText, &m_record.ocrText, &m_record.snippetTitle}) {
        if (*field)
            parts.append(**field);
    }
    return parts.join(u'\n');
}
