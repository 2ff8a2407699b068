#include "ModelTestSupport.h"

#include <gtest/gtest.h>

#include <unordered_set>

namespace {

using namespace ModelTest;

TEST(SourceLocation, OrderIgnoresTheSourceButEqualityDoesNot) {
    const SourceLocation a(3, 5, URL("file:///a.md"));
    const SourceLocation b(3, 5, URL("file:///b.md"));
    EXPECT_FALSE(a == b);
    EXPECT_FALSE(a < b);
    EXPECT_FALSE(b < a);
    EXPECT_TRUE(SourceLocation(2, 1) > SourceLocation(1, 80));
    EXPECT_TRUE(SourceLocation(1, 2) <= SourceLocation(1, 2));
    EXPECT_EQ(SourceLocation(1, 2), SourceLocation(1, 2));
}

TEST(SourceLocation, HashAgreesWithEquality) {
    std::unordered_set<SourceLocation> set{SourceLocation(1, 1), SourceLocation(1, 1, URL("file:///x"))};
    EXPECT_EQ(set.size(), 2u);
    EXPECT_TRUE(set.contains(SourceLocation(1, 1, URL("file:///x"))));
    EXPECT_FALSE(set.contains(SourceLocation(1, 1, URL("file:///y"))));
}

TEST(SourceLocation, DescriptionPrefixesANonEmptyPath) {
    struct Case {
        std::optional<URL> source;
        const char* expected;
    };
    const Case cases[] = {
        {std::nullopt, "10:4"},
        {URL("file:///tmp/a%20b.md"), "/tmp/a b.md:10:4"},
        {URL("https://example.com/docs/x.md?raw=1#top"), "/docs/x.md:10:4"},
        {URL("https://example.com"), "10:4"},
        {URL("notes/readme.md"), "notes/readme.md:10:4"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SourceLocation(10, 4, c.source).description(), c.expected);
    }
}

TEST(SourceRange, DiagnosticDescription) {
    EXPECT_EQ(rangeOf(3, 5, 3, 9).diagnosticDescription(false), "3:5-3:9");
    EXPECT_EQ(rangeOf(2, 1, 2, 1).diagnosticDescription(true), "2:1");
    // The path is printed once, in front, and only when asked for.
    const URL file("file:///doc.md");
    const SourceRange withSource(SourceLocation(3, 5, file), SourceLocation(3, 9, file));
    EXPECT_EQ(withSource.diagnosticDescription(true), "/doc.md:3:5-3:9");
    EXPECT_EQ(withSource.diagnosticDescription(false), "3:5-3:9");
}

TEST(SourceRange, BoundsOutOfOrderAreRefusedAndChangeNothing) {
    EXPECT_THROW(rangeOf(3, 9, 3, 5), std::invalid_argument);
    SourceRange range = rangeOf(3, 5, 3, 9);
    EXPECT_THROW(range.setStart(SourceLocation(4, 1)), std::invalid_argument);
    EXPECT_THROW(range.setEnd(SourceLocation(3, 4)), std::invalid_argument);
    EXPECT_EQ(range, rangeOf(3, 5, 3, 9));
    range.setEnd(SourceLocation(3, 5));
    EXPECT_EQ(range.diagnosticDescription(false), "3:5");
    range.setStart(SourceLocation(1, 1));
    EXPECT_EQ(range, rangeOf(1, 1, 3, 5));
}

TEST(Replacement, Description) {
    const Replacement replacement{rangeOf(3, 5, 3, 9), "x"};
    EXPECT_EQ(replacement.description(), "3:5-3:9: fixit: x");
    EXPECT_EQ(replacement.debugDescription(), replacement.description());
}

TEST(DirectiveArgumentText, Emptiness) {
    using Segment = DirectiveArgumentText::LineSegment;
    EXPECT_TRUE(DirectiveArgumentText().isEmpty());
    EXPECT_TRUE(DirectiveArgumentText(std::vector{Segment(" \t ", 0), Segment("", 0)}).isEmpty());
    // The text before the opening parenthesis counts, even with nothing after the parse index.
    EXPECT_FALSE(DirectiveArgumentText(std::vector{Segment("@Name(", 6)}).isEmpty());
}

TEST(DirectiveArgumentText, SegmentsAndEquality) {
    using Segment = DirectiveArgumentText::LineSegment;
    const DirectiveArgumentText whole("a: 1\nb: 2");
    ASSERT_EQ(whole.segments.size(), 1u);
    EXPECT_EQ(whole.segments[0].untrimmedText(), "a: 1\nb: 2");
    EXPECT_EQ(whole.segments[0].parseIndex(), 0u);
    EXPECT_EQ(whole.segments[0].range(), std::nullopt);

    const Segment segment("@Name(a: 1", 6, rangeOf(1, 7, 1, 11));
    EXPECT_EQ(segment.trimmedText(), "a: 1");
    EXPECT_EQ(segment.lineStartIndex(), 0u);
    EXPECT_FALSE(segment == Segment("@Name(a: 1", 5, rangeOf(1, 7, 1, 11)));
    EXPECT_FALSE(segment == Segment("@Name(a: 1", 6));
    EXPECT_TRUE(Segment("caf\xC3\xA9", 0) == Segment("cafe\xCC\x81", 0));
    EXPECT_THROW(Segment("ab", 3), std::out_of_range);
}

} // namespace
