#include "PreviewPresentation.h"

#include <Analysis/MarkdownDetector.h>
#include <Analysis/TextLines.h>
#include <Capture/DefaultSettings.h>
#include <Platform/UserDefaults.h>

#include <QCoreApplication>

#include <unicode/ubrk.h>
#include <unicode/utext.h>

namespace PreviewPresentation {

namespace {

using ContentClassifier::ContentTag;
using QS::Color::System;

QString tr(const char* text) {
    return QCoreApplication::translate("PreviewPane", text);
}

// The UTF-16 length of the first `count` grapheme clusters of `text`; the whole length when it
// has no more. ICU iterators cannot be shared between threads, so each thread keeps its own.
qsizetype prefixLength(const QString& text, qsizetype count) {
    if (count <= 0)
        return 0;
    // Quick answer for texts too short to need counting: each cluster has at least one unit.
    if (text.size() <= count)
        return text.size();
    // ASCII text: every character is a cluster but CR LF, which is one. It holds only while no
    // other character follows, which could extend the last one (a combining mark, a joiner).
    qsizetype units = 0;
    qsizetype clusters = 0;
    while (clusters < count && units < text.size() && text[units].unicode() < 0x80) {
        units += text[units] == u'\r' && units + 1 < text.size() && text[units + 1] == u'\n' ? 2 : 1;
        ++clusters;
    }
    if (clusters == count && (units == text.size() || text[units].unicode() < 0x80))
        return units;
    struct Iterator {
        UBreakIterator* breaks = nullptr;
        UText text = UTEXT_INITIALIZER;
        Iterator() {
            UErrorCode status = U_ZERO_ERROR;
            breaks = ubrk_open(UBRK_CHARACTER, "", nullptr, 0, &status);
            if (U_FAILURE(status))
                breaks = nullptr;
        }
        ~Iterator() {
            if (breaks)
                ubrk_close(breaks);
            utext_close(&text);
        }
    };
    thread_local Iterator iterator;
    if (!iterator.breaks)
        return text.size();
    UErrorCode status = U_ZERO_ERROR;
    utext_openUChars(&iterator.text, reinterpret_cast<const UChar*>(text.utf16()), text.size(), &status);
    ubrk_setUText(iterator.breaks, &iterator.text, &status);
    if (U_FAILURE(status))
        return text.size();
    int32_t position = ubrk_first(iterator.breaks);
    for (qsizetype i = 0; i < count; ++i) {
        position = ubrk_next(iterator.breaks);
        if (position == UBRK_DONE)
            return text.size();
    }
    return position;
}

} // namespace

const std::optional<QString>& markdownCandidate(const ClipboardItem& item) {
    return item.plainText() ? item.plainText() : item.ocrText();
}

std::optional<QString> markdownSource(const ClipboardItem& item) {
    const std::optional<QString>& text = markdownCandidate(item);
    if (!text || TextLines::trimAll(*text).isEmpty())
        return std::nullopt;
    if (MarkdownDetector::isMarkdownLanguage(item.detectedLanguage()) ||
        MarkdownDetector::looksLikeMarkdown(*text))
        return *text;
    return std::nullopt;
}

bool canShowMarkdownToggle(const ClipboardItem& item, bool isEditing, bool hasMarkdownSource) {
    if (isEditing || !hasMarkdownSource)
        return false;
    switch (item.type()) {
    case ItemType::image:
    case ItemType::url:
    case ItemType::file:
    case ItemType::color:
        return false;
    default:
        return true;
    }
}

bool canShowMarkdownToggle(const ClipboardItem& item, bool isEditing) {
    return canShowMarkdownToggle(item, isEditing, !isEditing && markdownSource(item).has_value());
}

bool isEditable(const ClipboardItem* item) {
    if (!item || !item->plainText())
        return false;
    return item->type() != ItemType::image && item->type() != ItemType::file;
}

QString typeLabel(ItemType type) {
    switch (type) {
    case ItemType::text:
    case ItemType::richText:
        return tr("Text");
    case ItemType::code:
        return tr("Code");
    case ItemType::image:
        return tr("Image");
    case ItemType::url:
        return tr("Link");
    case ItemType::file:
        return tr("File");
    case ItemType::color:
        return tr("Color");
    case ItemType::snippet:
        return tr("Snippet");
    }
    return tr("Text");
}

QString quickLookTitle(const ClipboardItem& item) {
    auto translate = [](const char* text) {
        return QCoreApplication::translate("QuickLookView", text);
    };
    switch (item.type()) {
    case ItemType::image:
        return translate("Image");
    case ItemType::url:
        return item.plainText() ? *item.plainText() : translate("Link");
    case ItemType::snippet:
        return item.snippetTitle() ? *item.snippetTitle() : translate("Snippet");
    default:
        break;
    }
    // The bounded title: a first line of megabytes is not read (nor copied) on the GUI thread.
    const QString title = item.previewTitle(kQuickLookTitleScan);
    return title.isEmpty() ? translate("Preview") : leadingCharacters(title, kQuickLookTitleLength);
}

QColor kindTint(ItemType type, QS::Color::Scheme scheme) {
    switch (type) {
    case ItemType::code:
        return QS::Color::badgeCode();
    case ItemType::image:
        return QS::Color::badgeImage();
    case ItemType::url:
        return QS::Color::badgeURL();
    case ItemType::file:
        return QS::Color::badgeFile(scheme);
    case ItemType::color:
        return QS::Color::system(System::Pink, scheme);
    case ItemType::snippet:
        return QS::Color::badgeSnippet();
    case ItemType::text:
    case ItemType::richText:
        break;
    }
    return QS::Color::secondaryText(scheme);
}

Badge tagBadge(ContentTag tag, QS::Color::Scheme scheme) {
    switch (tag) {
    case ContentTag::email:
        return {QStringLiteral("EMAIL"), QS::Color::system(System::Blue, scheme)};
    case ContentTag::phone:
        return {QStringLiteral("PHONE"), QS::Color::system(System::Green, scheme)};
    case ContentTag::hexColor:
        return {QStringLiteral("HEX"), QS::Color::system(System::Pink, scheme)};
    case ContentTag::json:
        return {QStringLiteral("JSON"), QS::Color::system(System::Orange, scheme)};
    case ContentTag::date:
        return {QStringLiteral("DATE"), QS::Color::system(System::Purple, scheme)};
    case ContentTag::address:
        return {QStringLiteral("ADDR"), QS::Color::system(System::Red, scheme)};
    }
    return {};
}

QList<ContentTag> headerTags(const ClipboardItem& item) {
    return ContentClassifier::parseTags(item.contentTagsRaw()).mid(0, 3);
}

std::optional<QUrl> openableLink(const QString& text) {
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.isRelative())
        return std::nullopt;
    const QString scheme = url.scheme();
    if (scheme == u"mailto")
        return url.path().isEmpty() ? std::nullopt : std::optional(url);
    if ((scheme == u"http" || scheme == u"https") && !url.host().isEmpty())
        return url;
    return std::nullopt;
}

QString leadingCharacters(const QString& text, qsizetype count) {
    return text.left(prefixLength(text, count));
}

QString capped(const QString& text, qsizetype limit) {
    const qsizetype length = prefixLength(text, limit);
    if (length >= text.size())
        return text;
    return text.left(length) + QStringLiteral("\n…");
}

QString cappedLines(const QString& text, qsizetype lineLimit) {
    QString shown;
    qsizetype start = 0;
    while (start <= text.size()) {
        qsizetype end = text.indexOf(u'\n', start);
        if (end < 0)
            end = text.size();
        if (end - start > lineLimit) {
            if (shown.isNull())
                shown = text.left(start);
            const QString line = text.mid(start, end - start);
            shown += line.left(prefixLength(line, lineLimit)) + QStringLiteral("…");
        } else if (!shown.isNull()) {
            shown += QStringView(text).mid(start, end - start);
        }
        if (end < text.size() && !shown.isNull())
            shown += u'\n';
        start = end + 1;
    }
    return shown.isNull() ? text : shown;
}

QString withPlainLineBreaks(QString text) {
    if (!text.contains(u'\r') && !text.contains(QChar(QChar::ParagraphSeparator)))
        return text;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    text.replace(QChar(QChar::ParagraphSeparator), u'\n');
    return text;
}

int previewFontSize(const Platform::UserDefaults* defaults) {
    constexpr qint64 kDefault = 12;
    const qint64 size =
        defaults ? defaults->intValue(App::SettingsKeys::previewFontSize, kDefault) : kDefault;
    return static_cast<int>(std::clamp<qint64>(size, 10, 18));
}

QString footerDate(const QDateTime& dateTime, const QLocale& locale) {
    const QDateTime local = dateTime.toLocalTime();
    return locale.toString(local.date(), QStringLiteral("d MMM")) + QStringLiteral(", ") +
           locale.toString(local.time(), QLocale::ShortFormat);
}

} // namespace PreviewPresentation
