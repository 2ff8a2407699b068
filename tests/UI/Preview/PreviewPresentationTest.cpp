// The values the previews derive from an item's fields, as tables over the kinds, and the limits
// that keep a link or a huge text from doing harm.
#include <UI/Preview/PreviewPresentation.h>

#include <QUrl>

#include <gtest/gtest.h>

namespace {

using namespace PreviewPresentation;

struct Fields {
    QString typeRaw;
    std::optional<QString> plainText;
    std::optional<QString> ocrText;
    std::optional<QString> language;
};

ClipboardItemPtr make(const Fields& fields) {
    ClipboardItemRecord record;
    record.id = QUuid::createUuid();
    record.typeRaw = fields.typeRaw;
    record.plainText = fields.plainText;
    record.ocrText = fields.ocrText;
    record.detectedLanguage = fields.language;
    return ClipboardItem::restore(record);
}

const QString kMarkdown = QStringLiteral("# Notes\n\n- first\n- second\n");

TEST(PreviewPresentation, DerivedValuesOverEveryKind) {
    struct Case {
        const char* name;
        Fields fields;
        bool editing;
        std::optional<QString> source;
        bool toggle;
        bool editable;
        QString label;
    };
    const QString sentence = QStringLiteral("A plain sentence about lunch.");
    const QString scan = QStringLiteral("# Scan\n\n- one\n- two");
    const std::vector<Case> cases = {
        {"markdown text", {"text", kMarkdown}, false, kMarkdown, true, true, "Text"},
        {"while editing", {"text", kMarkdown}, true, kMarkdown, false, true, "Text"},
        {"plain text", {"text", sentence}, false, std::nullopt, false, true, "Text"},
        {"blank text", {"text", QStringLiteral(" \n\t ")}, false, std::nullopt, false, true, "Text"},
        {"rich text", {"richText", kMarkdown}, false, kMarkdown, true, true, "Text"},
        {"code named markdown",
         {"code", sentence, {}, QStringLiteral("md")},
         false,
         sentence,
         true,
         true,
         "Code"},
        {"code",
         {"code", QStringLiteral("int x = 1;"), {}, QStringLiteral("cpp")},
         false,
         std::nullopt,
         false,
         true,
         "Code"},
        {"image with markdown text", {"image", std::nullopt, scan}, false, scan, false, false, "Image"},
        {"link",
         {"url", QStringLiteral("https://example.org/# not a heading")},
         false,
         std::nullopt,
         false,
         true,
         "Link"},
        {"file", {"file", QStringLiteral("/home/anna/notes.md")}, false, std::nullopt, false, false, "File"},
        {"colour", {"color", QStringLiteral("#FF8800")}, false, std::nullopt, false, true, "Color"},
        {"snippet", {"snippet", kMarkdown}, false, kMarkdown, true, true, "Snippet"},
        {"unknown kind reads as text", {"hologram", kMarkdown}, false, kMarkdown, true, true, "Text"},
        {"no text at all", {"text", std::nullopt}, false, std::nullopt, false, false, "Text"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ClipboardItemPtr item = make(c.fields);
        EXPECT_EQ(markdownSource(*item), c.source);
        EXPECT_EQ(canShowMarkdownToggle(*item, c.editing), c.toggle);
        EXPECT_EQ(isEditable(item.get()), c.editable);
        EXPECT_EQ(typeLabel(item->type()), c.label);
    }
    EXPECT_FALSE(isEditable(nullptr));
}

TEST(PreviewPresentation, QuickLookTitles) {
    const QString hundred = QString(100, u'x');
    // Sixty families of four joined by zero-width joiners, then more: sixty characters, 660 units.
    QString families;
    for (int i = 0; i < 70; ++i)
        families += QStringLiteral("👨‍👩‍👧‍👦");
    ClipboardItemRecord snippet;
    snippet.typeRaw = QStringLiteral("snippet");
    snippet.plainText = QStringLiteral("Kind regards");
    snippet.snippetTitle = QStringLiteral("Sign-off");
    const struct {
        const char* name;
        Fields fields;
        QString title;
    } cases[] = {
        {"image", {"image", std::nullopt, QStringLiteral("Invoice")}, "Image"},
        {"link with text", {"url", QStringLiteral("https://example.org")}, "https://example.org"},
        {"link without text", {"url", std::nullopt}, "Link"},
        {"snippet without title", {"snippet", QStringLiteral("Kind regards")}, "Snippet"},
        {"text with a blank title", {"text", QStringLiteral("  \n\t\n")}, "Preview"},
        {"first non-blank line", {"code", QStringLiteral("\n\n  int main() {\n}")}, "  int main() {"},
        {"long title", {"text", hundred}, hundred.left(60)},
        {"characters, not code units", {"text", families}, families.left(60 * 11)},
        {"first line of megabytes",
         {"text", QString(3'000'000, u'y') + QStringLiteral("\nnext")},
         QString(60, u'y')},
        // Bounded as the list row's title: a first line past the scan is not looked for.
        {"first line only far into the text",
         {"text", QString(ClipboardItem::kTitleScanLimit + 10, u'\n') + QStringLiteral("late")},
         "Preview"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(quickLookTitle(*make(c.fields)), c.title);
    }
    EXPECT_EQ(quickLookTitle(*ClipboardItem::restore(snippet)), QStringLiteral("Sign-off"));
}

// Only web and mail links open: a copied text must not start a program through its own scheme.
TEST(PreviewPresentation, OnlyWebAndMailLinksOpen) {
    const struct {
        const char* text;
        bool opens;
    } cases[] = {
        {"https://www.debian.org/releases/", true},
        {"http://example.org", true},
        {"HTTPS://EXAMPLE.ORG/Path", true},
        {"mailto:anna@example.com", true},
        {"file:///etc/passwd", false},
        {"javascript:alert(1)", false},
        {"vscode://file/home/anna/.bashrc", false},
        {"steam://run/570", false},
        {"ssh://build.example.org", false},
        {"http://", false},
        {"mailto:", false},
        {"just some words", false},
        {"", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const std::optional<QUrl> url = openableLink(QString::fromUtf8(c.text));
        EXPECT_EQ(url.has_value(), c.opens);
        if (url)
            EXPECT_EQ(url->toString().toLower(), QString::fromUtf8(c.text).toLower());
    }
}

TEST(PreviewPresentation, TextsAreCutAfterTheirLimitInCharacters) {
    const QString thumbs = QStringLiteral("👍🏽");
    EXPECT_EQ(capped(QStringLiteral("abc"), 3), QStringLiteral("abc"));
    EXPECT_EQ(capped(QStringLiteral("abcd"), 3), QStringLiteral("abc\n…"));
    EXPECT_EQ(capped(thumbs.repeated(3), 3), thumbs.repeated(3)) << "a skin-toned emoji is one character";
    EXPECT_EQ(capped(thumbs.repeated(4), 3), thumbs.repeated(3) + QStringLiteral("\n…"));
    EXPECT_EQ(capped(QStringLiteral("a\r\nb"), 2), QStringLiteral("a\r\n\n…")) << "CR LF is one character";
    EXPECT_EQ(leadingCharacters(QStringLiteral("e\u0301te"), 1), QStringLiteral("e\u0301"));
    EXPECT_EQ(capped(QStringLiteral("abc\u0301d"), 3), QStringLiteral("abc\u0301\n…"))
        << "a mark after plain letters belongs to the last of them";
    EXPECT_EQ(withPlainLineBreaks(QStringLiteral("a\r\nb\rc\u2029d\ne")), QStringLiteral("a\nb\nc\nd\ne"));

    // Each line on its own: a long line is laid out whole by a text view, however little shows.
    const struct {
        QString text;
        QString shown;
    } lines[] = {
        {QStringLiteral("abc\nxy\n"), QStringLiteral("abc\nxy\n")},
        {QStringLiteral("abcd"), QStringLiteral("abc…")},
        {QStringLiteral("abcd\nxy\n\nabcdef"), QStringLiteral("abc…\nxy\n\nabc…")},
        {QStringLiteral("xy\nabcd\n"), QStringLiteral("xy\nabc…\n")},
        {thumbs.repeated(4) + QStringLiteral("\nz"), thumbs.repeated(3) + QStringLiteral("…\nz")},
    };
    for (const auto& c : lines)
        EXPECT_EQ(cappedLines(c.text, 3), c.shown) << qPrintable(c.text);
}

TEST(PreviewPresentation, TagBadgesAndAtMostThreeInTheHeader) {
    ClipboardItemRecord record;
    record.typeRaw = QStringLiteral("text");
    record.contentTagsRaw = QStringLiteral("email,phone,json,date");
    const ClipboardItemPtr item = ClipboardItem::restore(record);
    QStringList shown;
    for (const auto tag : headerTags(*item))
        shown << tagBadge(tag, QS::Color::Scheme::Light).text;
    EXPECT_EQ(shown, (QStringList{"EMAIL", "PHONE", "JSON"}));
    EXPECT_EQ(tagBadge(ContentClassifier::ContentTag::address, QS::Color::Scheme::Dark).text,
              QStringLiteral("ADDR"));
    EXPECT_EQ(tagBadge(ContentClassifier::ContentTag::hexColor, QS::Color::Scheme::Dark).color,
              QS::Color::system(QS::Color::System::Pink, QS::Color::Scheme::Dark));
}

} // namespace
