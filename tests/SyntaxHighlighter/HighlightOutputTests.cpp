// The span scanner that turns the script's HTML into styled text, and the entity pass after it.
#include "TestBundle.h"

#include <SyntaxHighlighter/HighlightOutput.h>

using namespace SyntaxHighlighter;
using SyntaxHighlighter::Testing::hex;
using SyntaxHighlighter::Testing::sameColor;

namespace {

class HighlightOutputTest : public ::testing::Test {
protected:
    // One colour per class, so a run's colour tells which stack styled it.
    Theme theme{".hljs{color:#000001}.outer{color:#000002}.inner{color:#000003}.lt{color:#000004}"};

    std::optional<Color> colourAt(const StyledText& text, std::size_t position) {
        return text.attributes(position).foreground;
    }
};

TEST_F(HighlightOutputTest, TextWithoutTagsIsStyledAsTheWholeBlock) {
    StyledText result = processHTMLString(u"int x = 1;\r\n\tx++;", theme);
    EXPECT_EQ(result.text(), u"int x = 1;\r\n\tx++;");
    ASSERT_EQ(result.runs().size(), 1u);
    EXPECT_TRUE(sameColor(result.runs()[0].attributes.foreground, hex(0x000001)));
    EXPECT_EQ(result.runs()[0].attributes, theme.attributesForStyleList({"hljs"}));
}

TEST_F(HighlightOutputTest, NestedSpansFollowTheStack) {
    StyledText result =
        processHTMLString(u"a<span class=\"outer\">b<span class=\"inner\">c</span>d</span>e", theme);
    EXPECT_EQ(result.text(), u"abcde");
    const unsigned expected[] = {0x000001, 0x000002, 0x000003, 0x000002, 0x000001};
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_TRUE(sameColor(colourAt(result, i), hex(expected[i]))) << i;
    EXPECT_EQ(result.runs().size(), 5u);
}

TEST_F(HighlightOutputTest, EntitiesDecodeAfterStylingAndKeepTheRunStyle) {
    StyledText result = processHTMLString(u"<span class=\"outer\">&lt;b&gt;</span>&amp;lt;", theme);
    EXPECT_EQ(result.text(), u"<b>&lt;");
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_TRUE(sameColor(colourAt(result, i), hex(0x000002))) << i;
    for (std::size_t i = 3; i < 7; ++i)
        EXPECT_TRUE(sameColor(colourAt(result, i), hex(0x000001))) << i;
}

TEST_F(HighlightOutputTest, EntitiesDecodeAtTheRightPlaceAfterSurrogatePairs) {
    StyledText result = processHTMLString(
        u"&#65;&#x42;&#X43;<span class=\"outer\">&#x1F600;&quot;</span>&#xD800;&#x110000;&bogus;", theme);
    EXPECT_EQ(result.text(), u"ABC\U0001F600\"&#xD800;&#x110000;&bogus;");
    EXPECT_TRUE(sameColor(colourAt(result, 2), hex(0x000001)));
    EXPECT_TRUE(sameColor(colourAt(result, 3), hex(0x000002)));
    EXPECT_TRUE(sameColor(colourAt(result, 4), hex(0x000002)));
    EXPECT_TRUE(sameColor(colourAt(result, 5), hex(0x000002)));
    EXPECT_TRUE(sameColor(colourAt(result, 6), hex(0x000001)));
}

// The same class is styled by where it stands: recurring spans must not share one style.
TEST_F(HighlightOutputTest, ASpanTakesTheStyleOfItsWholePath) {
    Theme paths{".hljs{color:#000001}.t{color:#000002}.f .t{color:#000003}.f>.t .t{color:#000004}"
                ".t.k{color:#000005}"};
    StyledText result =
        processHTMLString(u"<span class=\"t\">a</span><span class=\"f\"><span class=\"t\">b"
                          u"<span class=\"t\">c</span></span>d</span><span class=\"t\">e</span>"
                          u"<span class=\"k t\">f</span>g</span></span><span class=\"t\">h</span>",
                          paths);
    EXPECT_EQ(result.text(), u"abcdefgh");
    // After more closing tags than opening ones, a span stands alone in its path.
    const unsigned expected[] = {0x000002, 0x000003, 0x000004, 0x000001,
                                 0x000002, 0x000005, 0x000001, 0x000002};
    for (std::size_t i = 0; i < std::size(expected); ++i)
        EXPECT_TRUE(sameColor(colourAt(result, i), hex(expected[i]))) << i;
}

TEST_F(HighlightOutputTest, AnEntitySplitByATagTakesTheStyleOfItsFirstCharacter) {
    StyledText result = processHTMLString(u"x&am<span class=\"outer\">p;y</span>", theme);
    EXPECT_EQ(result.text(), u"x&y");
    EXPECT_TRUE(sameColor(colourAt(result, 1), hex(0x000001)));
    EXPECT_TRUE(sameColor(colourAt(result, 2), hex(0x000002)));
}

TEST_F(HighlightOutputTest, StrayLessThanSignsAreText) {
    StyledText result = processHTMLString(u"a<b<span class=\"lt\">c<</span><", theme);
    EXPECT_EQ(result.text(), u"a<bc<<");
    EXPECT_TRUE(sameColor(colourAt(result, 1), hex(0x000001)));
    EXPECT_TRUE(sameColor(colourAt(result, 4), hex(0x000004)));
    EXPECT_TRUE(sameColor(colourAt(result, 5), hex(0x000001)));
}

TEST_F(HighlightOutputTest, MalformedTagsNeverReadPastTheEndOrPopAnEmptyStack) {
    struct Case {
        std::u16string html;
        std::u16string text;
    };
    const Case cases[] = {
        {u"", u""},
        {u"<", u"<"},
        {u"a<s", u"a"},
        {u"a<span class=\"outer", u"a"},
        {u"a<span class=\"outer\"", u"a"},
        {u"a</", u"a"},
        {u"a</sp", u"a"},
        {u"</span></span></span>x", u"x"},
        {u"<span class=\"\">x</span>", u"x"},
        {u"<span class=\"outer\">x", u"x"},
        {u"&", u"&"},
        {u"&#", u"&#"},
        {u"&#;", u"&#;"},
        {u"&amp", u"&amp"},
    };
    for (const Case& c : cases) {
        StyledText result = processHTMLString(c.html, theme);
        EXPECT_EQ(result.text(), c.text) << std::string(c.html.begin(), c.html.end());
    }
    // Closing more spans than were opened leaves the code font alone.
    StyledText result = processHTMLString(u"</span></span>x", theme);
    EXPECT_EQ(result.attributes(0), theme.attributesForStyleList({}));
}

TEST_F(HighlightOutputTest, RunsCoverTheTextAndAdjacentRunsDiffer) {
    StyledText result = processHTMLString(
        u"<span class=\"outer\">a</span><span class=\"outer\">b</span>&amp;<span class=\"inner\">c</span>",
        theme);
    EXPECT_EQ(result.text(), u"ab&c");
    std::size_t covered = 0;
    for (std::size_t i = 0; i < result.runs().size(); ++i) {
        EXPECT_EQ(result.runs()[i].range.location, covered);
        covered += result.runs()[i].range.length;
        if (i > 0) {
            EXPECT_NE(result.runs()[i].attributes, result.runs()[i - 1].attributes);
        }
    }
    EXPECT_EQ(covered, result.length());
    EXPECT_EQ(result.runs().size(), 3u);
}

} // namespace
