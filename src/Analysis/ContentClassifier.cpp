#include "ContentClassifier.h"

#include "FutureDelivery.h"
#include "JsonFormatter.h"
#include "Platform/UrlOpener.h"
#include "TextLines.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDate>
#include <QGuiApplication>
#include <QMimeData>
#include <QRegularExpression>
#include <QTime>
#include <QUrlQuery>
#include <QtConcurrent/QtConcurrentRun>

#include <array>

namespace ContentClassifier {

namespace {

// Untrusted text only ever meets a regular expression in pieces this short (the tests that use one
// all have a length limit far below it), so matching cost stays small.
constexpr qsizetype kRegexInputLimit = 1024;

const QRegularExpression& anchoredEmail() {
    static const QRegularExpression re(QStringLiteral("^[A-Z0-9._%+\\-]+@[A-Z0-9.\\-]+\\.[A-Z]{2,}$"),
                                       QRegularExpression::CaseInsensitiveOption |
                                           QRegularExpression::UseUnicodePropertiesOption);
    return re;
}

const QRegularExpression& unanchoredEmail() {
    static const QRegularExpression re(QStringLiteral("[A-Z0-9._%+\\-]+@[A-Z0-9.\\-]+\\.[A-Z]{2,}"),
                                       QRegularExpression::CaseInsensitiveOption |
                                           QRegularExpression::UseUnicodePropertiesOption);
    return re;
}

const QRegularExpression& postalCode() {
    static const QRegularExpression re(QStringLiteral("\\b\\d{2}-\\d{3}\\b"),
                                       QRegularExpression::UseUnicodePropertiesOption);
    return re;
}

// The number of user-perceived characters, or more than `limit` whenever the text is so long that
// it cannot have `limit` or fewer.
qsizetype charactersUpTo(QStringView text, qsizetype limit) {
    if (text.size() > 16 * limit + 64)
        return limit + 1;
    return TextLines::characterCount(text);
}

// Calls `visit` with every code point of the text.
template <typename Visit> void forEachCodePoint(QStringView text, Visit visit) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t cp = text[i].unicode();
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            cp = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        visit(cp);
    }
}

bool isPhonePunctuation(char32_t c) {
    return c == U'+' || c == U'(' || c == U')' || c == U'-' || c == U' ' || c == U'.';
}

bool isEmail(QStringView text) {
    if (text.size() > kRegexInputLimit)
        return false;
    const qsizetype characters = TextLines::characterCount(text);
    if (characters < 254 && anchoredEmail().match(text).hasMatch())
        return true;
    return characters < 80 && unanchoredEmail().match(text).hasMatch();
}

bool looksLikePhone(QStringView text) {
    const qsizetype characters = charactersUpTo(text, 64);
    if (characters > 64)
        return false;
    qsizetype numeric = 0;
    qsizetype digitsOrPunctuation = 0;
    forEachCodePoint(text, [&](char32_t c) {
        if (QChar::isNumber(c))
            ++numeric;
        if (QChar::category(c) == QChar::Number_DecimalDigit || isPhonePunctuation(c))
            ++digitsOrPunctuation;
    });
    if (numeric < 9 || numeric > 15)
        return false;
    if (digitsOrPunctuation < characters - 2)
        return false;
    const double divisor = characters < 2 ? 1.0 : static_cast<double>(characters);
    return static_cast<double>(numeric) / divisor > 0.55;
}

bool isHexDigit(QChar c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

// "^#?(?:[0-9A-Fa-f]{3}|[0-9A-Fa-f]{6}|[0-9A-Fa-f]{8})$"
bool isHexColorPattern(QStringView text) {
    if (text.startsWith(u'#'))
        text = text.sliced(1);
    if (text.size() != 3 && text.size() != 6 && text.size() != 8)
        return false;
    return std::all_of(text.begin(), text.end(), isHexDigit);
}

bool looksLikeHexColor(QStringView text) {
    return isHexColorPattern(TextLines::trimAll(text));
}

bool looksLikeJSON(QStringView text) {
    const QStringView trimmed = TextLines::trimAll(text);
    const bool object = trimmed.startsWith(u'{') && trimmed.endsWith(u'}');
    const bool array = trimmed.startsWith(u'[') && trimmed.endsWith(u']');
    return (object || array) && JsonFormatter::isValid(trimmed);
}

bool parsesAsDateTime(const QString& date, const QString& dateFormat, const QString& time,
                      const QString& timeFormat) {
    return QDate::fromString(date, dateFormat).isValid() && QTime::fromString(time, timeFormat).isValid();
}

// A time zone designator as the date formats accept it: "Z", "+hhmm" or "+hh:mm" (or "-").
bool isZoneDesignator(QStringView zone) {
    if (zone == u"Z")
        return true;
    if (zone.isEmpty() || (zone[0] != u'+' && zone[0] != u'-'))
        return false;
    zone = zone.sliced(1);
    QString digits = zone.toString();
    if (digits.size() == 5 && digits[2] == u':')
        digits.remove(2, 1);
    if (digits.size() != 4 || !std::all_of(digits.begin(), digits.end(), [](QChar c) { return c.isDigit(); }))
        return false;
    return QTime::fromString(digits, QStringLiteral("HHmm")).isValid();
}

bool looksLikeDate(QStringView text) {
    const QStringView trimmed = TextLines::trimAll(text);
    if (charactersUpTo(trimmed, 39) > 39)
        return false;
    const QString s = trimmed.toString();
    for (const char* format : {"yyyy-MM-dd", "dd.MM.yyyy", "dd/MM/yyyy", "MM/dd/yyyy"}) {
        if (QDate::fromString(s, QString::fromLatin1(format)).isValid())
            return true;
    }
    // "yyyy-MM-dd HH:mm"
    if (s.size() == 16 && s[10] == u' ' &&
        parsesAsDateTime(s.left(10), QStringLiteral("yyyy-MM-dd"), s.mid(11), QStringLiteral("HH:mm")))
        return true;
    // "yyyy-MM-dd'T'HH:mm:ss", with or without a zone (the ISO 8601 internet form included).
    if (s.size() >= 19 && s[10] == u'T' &&
        parsesAsDateTime(s.left(10), QStringLiteral("yyyy-MM-dd"), s.mid(11, 8),
                         QStringLiteral("HH:mm:ss"))) {
        const QStringView zone = QStringView(s).sliced(19);
        return zone.isEmpty() || isZoneDesignator(zone);
    }
    return false;
}

bool looksLikeAddress(QStringView text) {
    const qsizetype characters = charactersUpTo(text, 199);
    if (characters > 199)
        return false;
    if (!text.contains(u'\n') && characters <= 12)
        return false;
    const QString lower = text.toString().toLower();
    const bool hasPostalCode = postalCode().match(lower).hasMatch();
    static const std::array<QStringView, 9> streetWords = {u"ul.", u"ulica",  u"al.",  u"aleje", u"street",
                                                           u"st.", u"avenue", u"road", u"rd."};
    const bool hasStreetWord =
        std::any_of(streetWords.begin(), streetWords.end(), [&](QStringView w) { return lower.contains(w); });
    // The house-number pattern "\d{1,4}[a-z]?" matches wherever there is a digit.
    const bool hasHouseNumber = std::any_of(lower.begin(), lower.end(), [](QChar c) { return c.isDigit(); });
    return hasHouseNumber && (hasPostalCode || hasStreetWord);
}

} // namespace

const QList<ContentTag>& allContentTags() {
    static const QList<ContentTag> all = {ContentTag::email, ContentTag::phone, ContentTag::hexColor,
                                          ContentTag::json,  ContentTag::date,  ContentTag::address};
    return all;
}

QString rawValue(ContentTag tag) {
    switch (tag) {
    case ContentTag::email:
        return QStringLiteral("email");
    case ContentTag::phone:
        return QStringLiteral("phone");
    case ContentTag::hexColor:
        return QStringLiteral("hexColor");
    case ContentTag::json:
        return QStringLiteral("json");
    case ContentTag::date:
        return QStringLiteral("date");
    case ContentTag::address:
        return QStringLiteral("address");
    }
    return {};
}

std::optional<ContentTag> contentTag(QStringView raw) {
    for (ContentTag tag : allContentTags()) {
        if (raw == rawValue(tag))
            return tag;
    }
    return std::nullopt;
}

QString SmartAction::id() const {
    switch (kind) {
    case Kind::mail:
        return QStringLiteral("mail-") + payload;
    case Kind::call:
        return QStringLiteral("call-") + payload;
    case Kind::openMaps:
        return QStringLiteral("maps-") + payload;
    case Kind::copyHex:
        return QStringLiteral("hex-") + payload;
    case Kind::pastePrettyJSON:
        return QStringLiteral("json");
    }
    return {};
}

QString SmartAction::title() const {
    switch (kind) {
    case Kind::mail:
        return QCoreApplication::translate("ContentClassifier", "Send Email");
    case Kind::call:
        return QCoreApplication::translate("ContentClassifier", "Call");
    case Kind::openMaps:
        return QCoreApplication::translate("ContentClassifier", "Open in Maps");
    case Kind::copyHex:
        return QCoreApplication::translate("ContentClassifier", "Copy HEX");
    case Kind::pastePrettyJSON:
        return QCoreApplication::translate("ContentClassifier", "Paste Formatted JSON");
    }
    return {};
}

QList<ContentTag> tags(const QString& text) {
    const QStringView trimmed = TextLines::trimAll(text);
    if (trimmed.isEmpty())
        return {};
    QList<ContentTag> result;
    if (isEmail(trimmed))
        result.append(ContentTag::email);
    if (looksLikePhone(trimmed))
        result.append(ContentTag::phone);
    if (looksLikeHexColor(trimmed))
        result.append(ContentTag::hexColor);
    if (looksLikeJSON(trimmed))
        result.append(ContentTag::json);
    if (looksLikeDate(trimmed))
        result.append(ContentTag::date);
    if (looksLikeAddress(trimmed))
        result.append(ContentTag::address);
    return result;
}

std::optional<QString> tagsRaw(const QString& text) {
    const QList<ContentTag> found = tags(text);
    if (found.isEmpty())
        return std::nullopt;
    QStringList raw;
    for (ContentTag tag : found)
        raw.append(rawValue(tag));
    return raw.join(u',');
}

QList<ContentTag> parseTags(const std::optional<QString>& raw) {
    QList<ContentTag> result;
    if (!raw)
        return result;
    for (QStringView piece : QStringView(*raw).split(u',', Qt::SkipEmptyParts)) {
        if (const auto tag = contentTag(piece))
            result.append(*tag);
    }
    return result;
}

std::optional<QString> firstPhone(const QString& text) {
    QString digits;
    forEachCodePoint(text, [&](char32_t c) {
        if (c == U'+' || QChar::isNumber(c))
            digits.append(QString::fromUcs4(&c, 1));
    });
    if (digits.isEmpty())
        return std::nullopt;
    return digits;
}

std::optional<QString> normalizedHex(const QString& text) {
    QString candidate = TextLines::trimAll(text).toString();
    if (!candidate.startsWith(u'#'))
        candidate.prepend(u'#');
    if (!isHexColorPattern(candidate))
        return std::nullopt;
    return candidate.toUpper();
}

std::optional<QString> prettyJSON(const QString& text) {
    return JsonFormatter::format(text);
}

QString formattingFailure(const JsonFormatter::Failure& failure) {
    switch (failure.problem) {
    case JsonFormatter::Problem::none:
    case JsonFormatter::Problem::notJSON:
        return QCoreApplication::translate(
                   "ContentClassifier",
                   "Nothing was pasted: the text is not valid JSON (line %1, column %2).")
            .arg(failure.line)
            .arg(failure.column);
    case JsonFormatter::Problem::tooDeep:
        return QCoreApplication::translate(
                   "ContentClassifier",
                   "Nothing was pasted: the JSON is nested more than %1 levels deep (line %2, column %3).")
            .arg(JsonFormatter::kMaxDepth)
            .arg(failure.line)
            .arg(failure.column);
    case JsonFormatter::Problem::tooLarge:
        return QCoreApplication::translate("ContentClassifier",
                                           "Nothing was pasted: the formatted JSON would be too large.");
    }
    return {};
}

std::optional<QColor> colorFromHex(const QString& text) {
    const std::optional<QString> hex = normalizedHex(text);
    if (!hex)
        return std::nullopt;
    QString digits = hex->mid(1);
    if (digits.size() == 3) {
        QString doubled;
        for (QChar c : digits)
            doubled += QString(2, c);
        digits = doubled;
    }
    bool ok = false;
    const quint32 value = digits.toUInt(&ok, 16);
    if (!ok)
        return std::nullopt;
    if (digits.size() == 6)
        return QColor::fromRgb((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF, 255);
    return QColor::fromRgb((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF, (value >> 24) & 0xFF);
}

QList<SmartAction> actions(const QString& text, const QList<ContentTag>& tags) {
    QList<SmartAction> result;
    using Kind = SmartAction::Kind;
    if (tags.contains(ContentTag::email)) {
        // White space cannot be part of an address, so the trimmed text has the same first match.
        const QStringView trimmed = TextLines::trimAll(text);
        if (trimmed.size() <= kRegexInputLimit) {
            const QRegularExpressionMatch match = unanchoredEmail().match(trimmed);
            if (match.hasMatch())
                result.append({Kind::mail, match.captured(0)});
        }
    }
    if (tags.contains(ContentTag::phone)) {
        // White space holds no digits: the trimmed text has the same number.
        if (const auto number = firstPhone(TextLines::trimAll(text).toString()))
            result.append({Kind::call, *number});
    }
    if (tags.contains(ContentTag::address))
        result.append({Kind::openMaps, TextLines::trimAll(text).toString()});
    if (tags.contains(ContentTag::hexColor)) {
        if (const auto hex = normalizedHex(text))
            result.append({Kind::copyHex, *hex});
    }
    // Formatting grows with the text: it happens when the action is performed, off the GUI thread.
    if (tags.contains(ContentTag::json))
        result.append({Kind::pastePrettyJSON, text});
    return result;
}

QUrl mapsUrl(const QString& address) {
    QUrl url(QStringLiteral("https://maps.google.com/maps"));
    // Percent-encode everything outside the unreserved set, so "&", "+", "#" and "=" in the
    // address stay part of the one query value.
    url.setQuery(QStringLiteral("q=") + QString::fromLatin1(QUrl::toPercentEncoding(address)),
                 QUrl::StrictMode);
    return url;
}

void perform(const SmartAction& action, const Replies& replies, Platform::UrlOpener& opener) {
    using Kind = SmartAction::Kind;
    switch (action.kind) {
    case Kind::mail:
    case Kind::call: {
        const QString scheme = action.kind == Kind::mail ? QStringLiteral("mailto:") : QStringLiteral("tel:");
        const QUrl url(scheme + action.payload, QUrl::StrictMode);
        if (url.isValid())
            opener.open(url);
        break;
    }
    case Kind::openMaps:
        opener.open(mapsUrl(action.payload));
        break;
    case Kind::copyHex:
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
            auto* data = new QMimeData;
            data->setText(action.payload);
            QGuiApplication::clipboard()->setMimeData(data);
        }
        break;
    case Kind::pastePrettyJSON: {
        if (!replies.context)
            break;
        using Formatted = std::pair<std::optional<QString>, JsonFormatter::Failure>;
        const QFuture<Formatted> formatting = QtConcurrent::run([json = action.payload] {
            JsonFormatter::Failure failure;
            std::optional<QString> formatted = JsonFormatter::format(json, &failure);
            return Formatted{std::move(formatted), failure};
        });
        deliverOnContextThread(
            formatting, replies.context,
            [pasteText = replies.pasteText, failed = replies.failed](const Formatted& result) {
                if (result.first) {
                    if (pasteText)
                        pasteText(*result.first);
                } else if (failed) {
                    failed(formattingFailure(result.second));
                }
            });
        break;
    }
    }
}

void perform(const SmartAction& action, const Replies& replies) {
    perform(action, replies, Platform::UrlOpener::system());
}

} // namespace ContentClassifier
