#pragma once

#include <QColor>
#include <QList>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

namespace Platform {
class UrlOpener;
}

// What a piece of text is (an e-mail address, a phone number, a hex colour, JSON, a date, a postal
// address), stored as content tags on history items, and the one-click actions offered for it.
// Everything but perform() is a pure function, safe on any thread. tags() and prettyJSON() take
// time in proportion to the text (JSON is read whole); listing actions for tagged text does not.
namespace ContentClassifier {

enum class ContentTag { email, phone, hexColor, json, date, address };

// Every tag in its fixed order (the order tags are listed and stored in).
const QList<ContentTag>& allContentTags();
QString rawValue(ContentTag tag);
std::optional<ContentTag> contentTag(QStringView rawValue);

struct SmartAction {
    enum class Kind { mail, call, openMaps, copyHex, pastePrettyJSON };
    Kind kind;
    // The address, number, address text or normalised colour the action works on; for
    // pastePrettyJSON the text itself, formatted when the action is performed.
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
// The JSON laid out with four spaces per level and each object's keys sorted, every token kept
// exactly as written (JsonFormatter::format); nullopt when the text is not JSON.
std::optional<QString> prettyJSON(const QString& text);
// Six digits are RGB; eight are alpha first, then RGB.
std::optional<QColor> colorFromHex(const QString& text);

QList<SmartAction> actions(const QString& text, const QList<ContentTag>& tags);

// Where perform() answers: the text to paste (whose meaning the caller decides), or why nothing is
// pasted. Both are called later, on the thread of `context` (the calling thread, which runs an
// event loop), and not at all once `context` is gone.
struct Replies {
    QPointer<QObject> context;
    std::function<void(const QString& text)> pasteText;
    std::function<void(const QString& reason)> failed;
};

// Runs the action: mail, call and maps open a URL with the desktop's default handler through
// `opener`; copyHex puts the colour on the clipboard as plain text; pastePrettyJSON formats the
// JSON on a worker and hands it to `pasteText`, or, when the text is not JSON (or its layout would
// be too large), a translated reason to `failed`.
void perform(const SmartAction& action, const Replies& replies, Platform::UrlOpener& opener);
void perform(const SmartAction& action, const Replies& replies);

// The web address of the maps service; the address text goes into its query item "q".
QUrl mapsUrl(const QString& address);

} // namespace ContentClassifier
