#include "ClipboardItem.h"

#include "Analysis/TextLines.h"

#include <QStringList>
#include <QTimeZone>

#include <chrono>

namespace {

// Reads lines one by one (no list of every line of a huge text) within the first `scanLimit`
// units.
std::optional<QStringView> firstNonBlankLine(const std::optional<QString>& text, qsizetype scanLimit) {
    if (!text)
        return std::nullopt;
    const QStringView window = QStringView(*text).first(std::min(text->size(), scanLimit));
    qsizetype start = 0;
    while (start <= window.size()) {
        qsizetype end = start;
        bool blank = true;
        while (end < window.size() && !TextLines::isNewline(window[end].unicode())) {
            blank = blank && TextLines::isHorizontalSpace(window[end]);
            ++end;
        }
        if (!blank)
            return window.sliced(start, end - start);
        start = end + 1;
    }
    return std::nullopt;
}

// The line as a string; the whole text is shared rather than copied.
QString lineText(const QString& text, QStringView line) {
    return line.size() == text.size() ? text : line.toString();
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
    for (const std::optional<QString>* text : {&m_record.plainText, &m_record.ocrText}) {
        if (const std::optional<QStringView> line = firstNonBlankLine(*text, (*text) ? (*text)->size() : 0))
            return lineText(**text, *line);
    }
    return QString();
}

QString ClipboardItem::previewTitle(qsizetype maxLength) const {
    if (maxLength <= 0)
        return QString();
    for (const std::optional<QString>* text : {&m_record.plainText, &m_record.ocrText}) {
        if (std::optional<QStringView> line = firstNonBlankLine(*text, kTitleScanLimit)) {
            if (line->size() > maxLength)
                line = line->first(line->at(maxLength - 1).isHighSurrogate() ? maxLength - 1 : maxLength);
            return lineText(**text, *line);
        }
    }
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
