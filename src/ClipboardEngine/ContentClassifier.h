#pragma once

#include <QColor>
#include <QList>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

namespace Platform {
class UrlOpener;
}

// What a piece of text is (an e-mail address, a phone number, a hex colour, JSON, a date, a postal
// address), stored as content tags on history items, and the one-click actions offered for it.
// Everything but perform() is a pure function, safe on any thread.
namespace ContentClassifier {

enum class ContentTag { email, phone, hexColor, json, date, address };

// Every tag in its fixed order (the order tags are listed and stored in).
const QList<ContentTag>& allContentTags();
QString rawValue(ContentTag tag);
std::optional<ContentTag> contentTag(QStringView rawValue);

struct SmartAction {
    enum class Kind { mail, call, openMaps, copyHex, pastePrettyJSON };
    Kind kind;
    // The address, number, address text, normalised colour or formatted JSON the action works on.
    QString payload;

    // "mail-" + address, "call-" + number, "maps-" + address, "hex-" + colour, or "json".
    QString id() const;
    // The label under which the action is offered (translated).
    QString title() const;

    bool operator==(const SmartAction&) const = default;
};

QList<ContentTag> tags(const QString& text);
// The tags joined with ","; nullopt when there are none (never an empty string).
std::optional<QString> tagsRaw(const QString& text);
QList<ContentTag> parseTags(const std::optional<QString>& raw);

std::optional<QString> firstPhone(const QString& text);
// "#" followed by 3, 6 or 8 upper-case hex digits.
std::optional<QString> normalizedHex(const QString& text);
// Indented JSON with sorted keys.
std::optional<QString> prettyJSON(const QString& text);
// Six digits are RGB; eight are alpha first, then RGB.
std::optional<QColor> colorFromHex(const QString& text);

QList<SmartAction> actions(const QString& text, const QList<ContentTag>& tags);

// Runs the action: mail, call and maps open a URL with the desktop's default handler through
// `opener`; copyHex puts the colour on the clipboard as plain text; pastePrettyJSON hands the
// formatted JSON to `pasteText`, whose meaning the caller decides.
void perform(const SmartAction& action, const std::function<void(const QString&)>& pasteText,
             Platform::UrlOpener& opener);
void perform(const SmartAction& action, const std::function<void(const QString&)>& pasteText);

// The web address of the maps service; the address text goes into its query item "q".
QUrl mapsUrl(const QString& address);

} // namespace ContentClassifier
