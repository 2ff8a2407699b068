// Decoding of character references: named, decimal, hexadecimal, invalid and overflowing.
#include <SyntaxHighlighter/HTMLUtils.h>

#include <gtest/gtest.h>

using SyntaxHighlighter::HTMLUtils;

namespace {

TEST(HTMLUtilsTest, DecodesEntities) {
    struct Case {
        std::u16string entity;
        std::optional<char32_t> expected;
    };
    const Case cases[] = {
        {u"&quot;", U'"'},
        {u"&amp;", U'&'},
        {u"&lt;", U'<'},
        {u"&gt;", U'>'},
        {u"&apos;", U'\''},
        {u"&nbsp;", 0xA0},
        {u"&copy;", 0xA9},
        {u"&euro;", 0x20AC},
        {u"&hellip;", 0x2026},
        {u"&diams;", 0x2666},
        {u"&Alpha;", 0x391},
        {u"&alpha;", 0x3B1},
        {u"&QUOT;", std::nullopt},
        {u"&nosuch;", std::nullopt},
        {u"&#65;", U'A'},
        {u"&#0065;", U'A'},
        {u"&#x42;", U'B'},
        {u"&#X43;", U'C'},
        {u"&#x1F600;", 0x1F600},
        {u"&#128512;", 0x1F600},
        {u"&#x10FFFF;", 0x10FFFF},
        // Reading stops at the first character outside the base; no digits read as 0.
        {u"&#12ab;", 12},
        {u"&#x;", 0},
        {u"&#q;", 0},
        // Surrogates and values beyond Unicode are no characters.
        {u"&#xD800;", std::nullopt},
        {u"&#xDFFF;", std::nullopt},
        {u"&#55296;", std::nullopt},
        {u"&#x110000;", std::nullopt},
        {u"&#1114112;", std::nullopt},
        // Overflowing the integer type is no character either.
        {u"&#99999999999999999999999999;", std::nullopt},
        {u"&#xFFFFFFFFFFFFFFFFFFFFFFFF;", std::nullopt},
        {u"&#x100000041;", std::nullopt},
    };
    for (const Case& c : cases) {
        auto decoded = HTMLUtils::decode(c.entity);
        EXPECT_EQ(decoded, c.expected) << std::string(c.entity.begin(), c.entity.end());
    }
}

TEST(HTMLUtilsTest, NumericReadingFollowsTheBase) {
    EXPECT_EQ(HTMLUtils::decodeNumeric(u"41;", 16), U'A');
    EXPECT_EQ(HTMLUtils::decodeNumeric(u"41;", 10), U')');
    EXPECT_EQ(HTMLUtils::decodeNumeric(u"9;", 8), U'\0');
}

TEST(HTMLUtilsTest, TableHasTheHTML4EntitiesAndApos) {
    const auto& table = HTMLUtils::characterEntities();
    EXPECT_EQ(table.size(), 253u);
    for (const auto& [entity, scalar] : table) {
        EXPECT_EQ(entity.front(), '&');
        EXPECT_EQ(entity.back(), ';');
        EXPECT_TRUE(scalar >= 0x22 && scalar <= 0x2666) << entity;
    }
}

} // namespace
