#pragma once

#include <Analysis/ContentClassifier.h>
#include <Storage/ClipboardItem.h>
#include <UI/Design/Color.h>

#include <QColor>
#include <QList>
#include <QLocale>
#include <QString>
#include <QUrl>

#include <optional>

namespace Platform {
class UserDefaults;
}

// What the item previews show, decided from the item's fields alone: the values behind the pane's
// header and modes, Quick Look's title, the colours of kinds and tags, and the limits that keep
// huge clips from reaching a text view whole.
namespace PreviewPresentation {

// The text the Markdown mode renders: the item's text (else its recognised text) when it is not
// blank and either its detected language names Markdown or it looks like Markdown.
std::optional<QString> markdownSource(const ClipboardItem& item);
// Whether the pane offers its Source / MD Preview switch (never while editing, never for pictures,
// links, files and colours).
bool canShowMarkdownToggle(const ClipboardItem& item, bool isEditing);
// The same, with the item's Markdown source already known to exist or not: deciding that reads
// the whole text, which for a long one belongs on a worker.
bool canShowMarkdownToggle(const ClipboardItem& item, bool isEditing, bool hasMarkdownSource);
// The text markdownSource() looks at: the item's text, else its recognised text.
const std::optional<QString>& markdownCandidate(const ClipboardItem& item);
// Whether the item can be edited and pasted as text: it has text and is neither a picture nor files.
bool isEditable(const ClipboardItem* item);
// "Text", "Code", "Image", "Link", "File", "Color" or "Snippet" (translated).
QString typeLabel(ItemType type);
// Quick Look's title: "Image"; a link's text; a snippet's title; else the first 60 characters of
// the item's title, or "Preview".
QString quickLookTitle(const ClipboardItem& item);
constexpr qsizetype kQuickLookTitleLength = 60;
// How many units of the item's first line are read for those characters (a character may take
// several units: an emoji sequence, combining marks).
constexpr qsizetype kQuickLookTitleScan = 4096;

// The tint of a kind's icon tile.
QColor kindTint(ItemType type, QS::Color::Scheme scheme);

struct Badge {
    QString text;
    QColor color;
};
// The badge of a content tag ("EMAIL", "PHONE", "HEX", "JSON", "DATE", "ADDR").
Badge tagBadge(ContentClassifier::ContentTag tag, QS::Color::Scheme scheme);
// The stored tags the header shows: at most the first three.
QList<ContentClassifier::ContentTag> headerTags(const ClipboardItem& item);

// The link "Open Link" opens: only http, https and mailto links, so a copied text cannot start a
// local program through some other scheme. Nothing when the text is no such link.
std::optional<QUrl> openableLink(const QString& text);

// The first `count` characters (grapheme clusters) of `text`. Work stops after them, whatever the
// text's length.
QString leadingCharacters(const QString& text, qsizetype count);
// The text as a view shows it: whole when it has at most `limit` characters, else its first
// `limit` characters followed by a line feed and "…".
QString capped(const QString& text, qsizetype limit);
// The text with every line longer than `lineLimit` characters cut after them with "…": a text view
// lays out a line whole, however little of it shows.
QString cappedLines(const QString& text, qsizetype lineLimit);
// Line breaks as one character each ("\r\n", "\r" and U+2029 become "\n"), so a position in the
// text is the same position in a text document made from it.
QString withPlainLineBreaks(QString text);

// "previewFontSize": the text size of the previews, 10 to 18, 12 when unset.
int previewFontSize(const Platform::UserDefaults* defaults);

// The footer's date: day, abbreviated month, and the time in the locale's short form.
QString footerDate(const QDateTime& dateTime, const QLocale& locale);

} // namespace PreviewPresentation
