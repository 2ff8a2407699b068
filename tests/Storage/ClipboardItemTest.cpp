#include "Storage/ClipboardItem.h"

#include <gtest/gtest.h>

namespace {

ClipboardItemPtr itemWith(std::optional<QString> plainText, std::optional<QString> ocrText = std::nullopt,
                          std::optional<QString> snippetTitle = std::nullopt,
                          QString typeRaw = QStringLiteral("text")) {
    ClipboardItemRecord record;
    record.id = QUuid::createUuid();
    record.typeRaw = std::move(typeRaw);
    record.plainText = std::move(plainText);
    record.ocrText = std::move(ocrText);
    record.snippetTitle = std::move(snippetTitle);
    return ClipboardItem::restore(record);
}

TEST(ItemType, RawValuesAreExact) {
    ASSERT_EQ(ItemTypes::allCases().size(), 8);
    for (ItemType type : ItemTypes::allCases())
        EXPECT_EQ(ItemTypes::fromRawValue(ItemTypes::rawValue(type)), type);
    EXPECT_EQ(ItemTypes::fromRawValue(u"snippet"), ItemType::snippet);
    EXPECT_EQ(ItemTypes::fromRawValue(u"Snippet"), std::nullopt);
    EXPECT_EQ(ItemTypes::rawValue(ItemType::richText), QStringLiteral("richText"));
}

TEST(ClipboardItem, MakeSetsIdTimeAndPin) {
    NewClipboardItem content;
    content.type = ItemType::code;
    content.plainText = QStringLiteral("x");
    content.dedupeKey = QStringLiteral("txt:1");
    const double before = ClipboardItem::now();
    const ClipboardItemPtr a = ClipboardItem::make(content);
    const ClipboardItemPtr b = ClipboardItem::make(content);
    EXPECT_NE(a->id(), b->id());
    EXPECT_FALSE(a->id().isNull());
    EXPECT_EQ(a->typeRaw(), QStringLiteral("code"));
    EXPECT_FALSE(a->isPinned());
    EXPECT_GE(a->createdAtSeconds(), before);
    EXPECT_LE(a->createdAtSeconds(), ClipboardItem::now());
    EXPECT_EQ(a->dedupeKey(), b->dedupeKey());
}

struct TitleCase {
    const char* name;
    std::optional<QString> plainText;
    std::optional<QString> ocrText;
    QString title;
};

class ClipboardItemPreviewTitle : public ::testing::TestWithParam<TitleCase> {};

TEST_P(ClipboardItemPreviewTitle, FirstNonBlankLineUntrimmed) {
    const TitleCase& c = GetParam();
    EXPECT_EQ(itemWith(c.plainText, c.ocrText)->previewTitle(), c.title) << c.name;
    EXPECT_EQ(itemWith(c.plainText, c.ocrText)->previewTitle(100), c.title) << c.name;
}

// A row's title is cut short without splitting a character made of two units, and a one-line text
// of any size is not copied to find it.
TEST(ClipboardItem, ARowTitleIsCutShort) {
    const QString huge = QString(20 * 1024 * 1024, u'x');
    const ClipboardItemPtr oneLine = itemWith(huge);
    EXPECT_EQ(oneLine->previewTitle(10), QString(10, u'x'));
    EXPECT_TRUE(oneLine->previewTitle().isSharedWith(huge));
    EXPECT_EQ(itemWith(QStringLiteral("abc\U0001F600def"))->previewTitle(4), QStringLiteral("abc"));
    EXPECT_EQ(itemWith(QStringLiteral("abc\U0001F600def"))->previewTitle(5), QStringLiteral("abc\U0001F600"));
    EXPECT_EQ(itemWith(QStringLiteral("\n\n  second line"))->previewTitle(6), QStringLiteral("  seco"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ClipboardItemPreviewTitle,
    ::testing::Values(
        TitleCase{"keepsSpaces", QStringLiteral("\n   \n  abc  \n"), std::nullopt, QStringLiteral("  abc  ")},
        TitleCase{"crlf", QStringLiteral("\r\nabc"), std::nullopt, QStringLiteral("abc")},
        TitleCase{"blankThenOcr", QStringLiteral(" \n\t"), QStringLiteral("\nHello"),
                  QStringLiteral("Hello")},
        TitleCase{"noBreakSpaceIsBlank", QStringLiteral("\u00a0\nx"), std::nullopt, QStringLiteral("x")},
        TitleCase{"lineSeparators", QStringLiteral("\u2028\u0085b\u2029c"), std::nullopt,
                  QStringLiteral("b")},
        TitleCase{"nothing", std::nullopt, std::nullopt, QString()},
        TitleCase{"allBlank", QStringLiteral(" "), QStringLiteral("\t"), QString()}),
    [](const ::testing::TestParamInfo<TitleCase>& info) { return std::string(info.param.name); });

TEST(ClipboardItem, SymbolsFollowTheType) {
    const std::pair<const char*, const char*> expected[] = {
        {"text", "doc.text"}, {"richText", "doc.text"}, {"code", "curlybraces"},   {"image", "photo"},
        {"url", "link"},      {"file", "doc"},          {"color", "paintpalette"}, {"snippet", "note.text"},
        {"Text", "doc.text"}, {"", "doc.text"},
    };
    for (const auto& [raw, symbol] : expected) {
        const ClipboardItemPtr item =
            itemWith(std::nullopt, std::nullopt, std::nullopt, QString::fromLatin1(raw));
        EXPECT_EQ(item->systemImageName(), QString::fromLatin1(symbol)) << raw;
    }
    EXPECT_EQ(itemWith({}, {}, {}, QStringLiteral("Snippet"))->type(), ItemType::text);
}

TEST(ClipboardItem, SearchableTextJoinsPresentFields) {
    EXPECT_EQ(itemWith(QStringLiteral("a"), std::nullopt, QStringLiteral("t"))->searchableText(),
              QStringLiteral("a\nt"));
    EXPECT_EQ(itemWith(QString())->searchableText(), QString());
    EXPECT_EQ(itemWith(QString(), QString(), QString())->searchableText(), QStringLiteral("\n\n"));
    EXPECT_EQ(itemWith(std::nullopt, QStringLiteral("ocr"))->searchableText(), QStringLiteral("ocr"));
    EXPECT_EQ(itemWith(std::nullopt)->searchableText(), QString());
}

} // namespace
