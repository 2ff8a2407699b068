#include "ModelTestSupport.h"

#include <gtest/gtest.h>

namespace {

using namespace ModelTest;
using Requirement = Aside::TagRequirement;

std::string firstTextOf(const std::vector<Markup>& content) {
    return content.at(0).child(0)->as<Text>()->string();
}

TEST(Aside, TagsUnderEachRequirement) {
    struct Case {
        std::string text;
        Requirement requirement;
        std::optional<std::string> kind; // absent: no aside
        std::string rest;
        std::int64_t shift; // how far the text's start column moves
    };
    const Case cases[] = {
        {"Note: Hello", Requirement::tagNotRequired, "Note", "Hello", 6},
        {"Warning:\t  Be careful", Requirement::requireSingleWordTag, "Warning", "Be careful", 11},
        {"note: x", Requirement::requireSingleWordTag, "note", "x", 6},
        {"Important Note: x", Requirement::requireSingleWordTag, std::nullopt, "", 0},
        {"Important Note: x", Requirement::requireAnyLengthTag, "Important Note", "x", 16},
        {"Tip : x", Requirement::requireSingleWordTag, std::nullopt, "", 0},
        {"Tab\tTag: x", Requirement::requireSingleWordTag, "Tab\tTag", "x", 9},
        {":x", Requirement::requireSingleWordTag, "", "x", 1},
        {"See: a: b", Requirement::requireAnyLengthTag, "See", "a: b", 5},
        {"no colon", Requirement::requireAnyLengthTag, std::nullopt, "", 0},
        {"no colon", Requirement::tagNotRequired, "Note", "no colon", 0},
        {"\xC3\xA9t\xC3\xA9: x", Requirement::requireSingleWordTag, "\xC3\xA9t\xC3\xA9", "x", 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const BlockQuote quote =
            parsedQuote(c.text, rangeOf(1, 3, 1, 3 + static_cast<std::int64_t>(c.text.size())));
        const std::optional<Aside> aside = Aside::make(quote, c.requirement);
        ASSERT_EQ(aside.has_value(), c.kind.has_value());
        if (!aside) {
            continue;
        }
        EXPECT_EQ(aside->kind.rawValue, *c.kind);
        EXPECT_EQ(firstTextOf(aside->content), c.rest);
        const Markup text = *aside->content.at(0).child(0);
        EXPECT_EQ(text.range()->start().column(), 3 + c.shift);
        EXPECT_EQ(text.range()->end(), SourceLocation(1, 3 + static_cast<std::int64_t>(c.text.size())));
    }
}

TEST(Aside, KindsCompareCaseSensitivelyUnderCanonicalEquivalence) {
    EXPECT_FALSE(Aside::Kind("note") == Aside::Kind::note());
    EXPECT_TRUE(Aside::Kind("Note") == Aside::Kind::note());
    EXPECT_TRUE(Aside::Kind("Caf\xC3\xA9") == Aside::Kind("Cafe\xCC\x81"));
    EXPECT_EQ(Aside::Kind("note").displayName(), "note");
}

TEST(Aside, PredefinedKindsAndDisplayNames) {
    const auto& all = Aside::Kind::allCases();
    ASSERT_EQ(all.size(), 24u);
    EXPECT_EQ(all.front().rawValue, "Note");
    EXPECT_EQ(all.back().rawValue, "SeeAlso");
    const std::pair<const char*, const char*> names[] = {
        {"ToDo", "To Do"},
        {"SeeAlso", "See Also"},
        {"MutatingVariant", "Mutating Variant"},
        {"NonMutatingVariant", "Non-Mutating Variant"},
        {"Warning", "Warning"},
        {"Custom", "Custom"},
    };
    for (const auto& [raw, display] : names) {
        EXPECT_EQ(Aside::Kind(raw).displayName(), display);
    }
}

TEST(Aside, QuotesWithoutALeadingTextHaveNoTag) {
    const std::vector<BlockQuote> quotes = {
        BlockQuote({Paragraph({Strong({Text("Note: x")})})}),
        BlockQuote({UnorderedList(ListItem(std::nullopt, {Paragraph({Text("Note: x")})}))}),
        BlockQuote(),
        BlockQuote({Paragraph()}),
    };
    for (const BlockQuote& quote : quotes) {
        EXPECT_FALSE(parseAsideTag(quote, Requirement::tagNotRequired).has_value());
        const Aside aside(quote);
        EXPECT_EQ(aside.kind, Aside::Kind::note());
        ASSERT_EQ(aside.content.size(), static_cast<std::size_t>(quote.childCount()));
        for (std::size_t i = 0; i < aside.content.size(); ++i) {
            EXPECT_TRUE(aside.content[i].isIdentical(*quote.child(static_cast<std::int64_t>(i))));
        }
    }
}

TEST(Aside, ATagOnItsOwnLineLeavesAnEmptyTextBeforeTheBreak) {
    const BlockQuote quote = parsedQuote("Tip:", rangeOf(1, 3, 1, 7),
                                         {parsedNode(RawKind::softBreak, rangeOf(1, 7, 2, 1)),
                                          parsedNode(RawMarkupData::text("more"), rangeOf(2, 3, 2, 7))});
    const Aside aside(quote);
    EXPECT_EQ(aside.kind.rawValue, "Tip");
    const Markup paragraph = aside.content.at(0);
    ASSERT_EQ(paragraph.childCount(), 3);
    EXPECT_EQ(paragraph.child(0)->as<Text>()->string(), "");
    EXPECT_EQ(paragraph.child(0)->range(), rangeOf(1, 7, 1, 7));
    EXPECT_TRUE(paragraph.child(1)->is<SoftBreak>());
    // The rebuilt path keeps its own ranges; the quote itself is untouched.
    EXPECT_EQ(paragraph.range(), rangeOf(1, 3, 1, 7));
    EXPECT_EQ(quote.child({0, 0})->as<Text>()->string(), "Tip:");
    EXPECT_NE(rootIdOf(paragraph), rootIdOf(quote));
}

TEST(Aside, TheShiftedStartIsClampedToTheEnd) {
    // A recorded range shorter than the text: the start never passes the end.
    const BlockQuote quote = parsedQuote("Warning: careful", rangeOf(4, 3, 4, 6));
    const Aside aside(quote);
    EXPECT_EQ(aside.content.at(0).child(0)->range(), rangeOf(4, 6, 4, 6));
}

TEST(Aside, TextsWithoutARangeStayWithoutOne) {
    const Aside aside(BlockQuote({Paragraph({Text("Note: x")})}));
    EXPECT_EQ(aside.content.at(0).child(0)->range(), std::nullopt);
}

} // namespace
