#include <Markdown/Parser/Parser.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Markdown {

using ParseError = DirectiveArgumentText::ParseError;

void PrintTo(const ParseError& error, std::ostream* out) {
    *out << "{kind " << static_cast<int>(error.kind()) << ", '" << error.character() << "' \"" << error.name()
         << "\" at " << error.location().description();
    if (error.firstLocation()) {
        *out << ", first at " << error.firstLocation()->description();
    }
    *out << "}";
}

namespace {

using Kind = ParseError::Kind;
using Segment = DirectiveArgumentText::LineSegment;

SourceRange onLine(int line, int from, int to) {
    return SourceRange(SourceLocation(line, from), SourceLocation(line, to));
}

// A whole source line of argument text on line `line`, parsed from its first column.
Segment segmentOn(const std::string& text, int line) {
    return Segment(text, 0, onLine(line, 1, static_cast<int>(text.size()) + 1));
}

// Argument text as it follows "@D(" on line `line`: its first character is at column 4.
Segment afterOpening(const std::string& text, int line = 7) {
    return Segment(text, 3, onLine(line, 4, static_cast<int>(text.size()) + 1));
}

ParseError missing(char character, int line, int column) {
    return ParseError::missingExpectedCharacter(character, SourceLocation(line, column));
}
ParseError unexpected(char character, int line, int column) {
    return ParseError::unexpectedCharacter(character, SourceLocation(line, column));
}
ParseError duplicate(const std::string& name, int firstLine, int firstColumn, int line, int column) {
    return ParseError::duplicateArgument(name, SourceLocation(firstLine, firstColumn),
                                         SourceLocation(line, column));
}

struct Parsed {
    std::vector<DirectiveArgument> arguments;
    std::vector<ParseError> diagnostics;
};

Parsed parse(const std::vector<Segment>& segments) {
    Parsed parsed;
    parsed.arguments = DirectiveArgumentText(segments).parseNameValueArguments(parsed.diagnostics);
    return parsed;
}

TEST(DirectiveArgumentParsingTest, EmptyTextGivesNothing) {
    EXPECT_TRUE(parse({}).arguments.empty());
    const std::string blanks = "@D(  \t ";
    const Parsed parsed = parse({afterOpening(blanks)});
    EXPECT_TRUE(parsed.arguments.empty());
    EXPECT_TRUE(parsed.diagnostics.empty());
}

TEST(DirectiveArgumentParsingTest, NamedArgumentsWithRanges) {
    const std::string text = "@D(first: one, \"second name\": \"two, three\")";
    const std::string argumentText = text.substr(0, text.size() - 1); // up to the closing parenthesis
    const Parsed parsed = parse({afterOpening(argumentText)});
    ASSERT_EQ(parsed.arguments.size(), 2u);
    EXPECT_EQ(parsed.arguments[0],
              (DirectiveArgument{"first", onLine(7, 4, 9), "one", onLine(7, 11, 14), true}));
    EXPECT_EQ(parsed.arguments[1],
              (DirectiveArgument{"second name", onLine(7, 17, 28), "two, three", onLine(7, 32, 42), false}));
    EXPECT_TRUE(parsed.diagnostics.empty());
}

TEST(DirectiveArgumentParsingTest, LoneLiteralIsAnUnnamedArgumentOnEveryLine) {
    const std::string first = "@D(value";
    const std::string second = "  other  ";
    const std::string third = "x,";
    const Parsed parsed = parse({afterOpening(first), segmentOn(second, 8), segmentOn(third, 9)});
    ASSERT_EQ(parsed.arguments.size(), 3u);
    EXPECT_EQ(parsed.arguments[0], (DirectiveArgument{"", std::nullopt, "value", onLine(7, 4, 9), false}));
    EXPECT_EQ(parsed.arguments[1], (DirectiveArgument{"", std::nullopt, "other", onLine(8, 3, 8), false}));
    EXPECT_EQ(parsed.arguments[2], (DirectiveArgument{"", std::nullopt, "x", onLine(9, 1, 2), true}));
    // Two of them lack a comma after their value; the duplicate unnamed names have no ranges.
    EXPECT_EQ(parsed.diagnostics, (std::vector<ParseError>{missing(',', 7, 9), missing(',', 8, 8)}));
}

TEST(DirectiveArgumentParsingTest, QuotedValueKeepsItsEscapes) {
    const std::string text = "@D(name: \"a \\\"b\\\" c\"";
    const Parsed parsed = parse({afterOpening(text)});
    ASSERT_EQ(parsed.arguments.size(), 1u);
    EXPECT_EQ(parsed.arguments[0].value, "a \\\"b\\\" c");
    EXPECT_EQ(parsed.arguments[0].valueRange, onLine(7, 11, 20));
    EXPECT_TRUE(parsed.diagnostics.empty());
}

TEST(DirectiveArgumentParsingTest, UnclosedQuoteTakesTheRestOfTheLine) {
    const std::string text = "@D(name: \"open value";
    const Parsed parsed = parse({afterOpening(text)});
    ASSERT_EQ(parsed.arguments.size(), 1u);
    EXPECT_EQ(parsed.arguments[0].value, "open value");
    EXPECT_EQ(parsed.diagnostics, (std::vector<ParseError>{missing('"', 7, 21)}));

    const std::string asName = "@D(a: b, \"open";
    const Parsed dropped = parse({afterOpening(asName)});
    ASSERT_EQ(dropped.arguments.size(), 1u);
    EXPECT_EQ(dropped.diagnostics, (std::vector<ParseError>{missing('"', 7, 15), missing(':', 7, 15)}));
}

// Recovery skips to the next comma, and each pass that meets a comma reports it and skips to the one
// after it, so the rest of the line yields no arguments.
TEST(DirectiveArgumentParsingTest, BlankBeforeColonDropsTheRestOfTheLine) {
    const std::string text = "@D(name : value, next: x, last: y)";
    const Parsed parsed = parse({afterOpening(text.substr(0, text.size() - 1))});
    EXPECT_TRUE(parsed.arguments.empty());
    EXPECT_EQ(parsed.diagnostics,
              (std::vector<ParseError>{missing(':', 7, 8), unexpected(',', 7, 17), unexpected(',', 7, 26)}));
}

TEST(DirectiveArgumentParsingTest, NameWithoutValueGivesNothing) {
    const std::string text = "@D(name:";
    const Parsed parsed = parse({afterOpening(text)});
    EXPECT_TRUE(parsed.arguments.empty());
    EXPECT_TRUE(parsed.diagnostics.empty());
}

TEST(DirectiveArgumentParsingTest, MissingCommaBetweenArguments) {
    const std::string text = "@D(a: b c: d";
    const Parsed parsed = parse({afterOpening(text)});
    ASSERT_EQ(parsed.arguments.size(), 2u);
    EXPECT_EQ(parsed.arguments[1], (DirectiveArgument{"c", onLine(7, 9, 10), "d", onLine(7, 12, 13), false}));
    EXPECT_EQ(parsed.diagnostics, (std::vector<ParseError>{missing(',', 7, 8)}));
}

TEST(DirectiveArgumentParsingTest, LeadingCommaSkipsToTheFollowingCommas) {
    const std::string text = "@D(,a: b, c: d";
    const Parsed parsed = parse({afterOpening(text)});
    EXPECT_TRUE(parsed.arguments.empty());
    EXPECT_EQ(parsed.diagnostics, (std::vector<ParseError>{unexpected(',', 7, 5), unexpected(',', 7, 10)}));
}

TEST(DirectiveArgumentParsingTest, RepeatedNamesAreAllKeptAndReported) {
    const std::string first = "@D(n: 1,";
    const std::string second = "n: 2, n: 3";
    const Parsed parsed = parse({afterOpening(first), segmentOn(second, 8)});
    ASSERT_EQ(parsed.arguments.size(), 3u);
    EXPECT_EQ(parsed.diagnostics,
              (std::vector<ParseError>{duplicate("n", 7, 4, 8, 1), duplicate("n", 7, 4, 8, 7)}));
}

TEST(DirectiveArgumentParsingTest, DuplicatesCompareUnderCanonicalEquivalence) {
    const std::string text = "@D(caf\xC3\xA9: 1, cafe\xCC\x81: 2";
    const Parsed parsed = parse({afterOpening(text)});
    ASSERT_EQ(parsed.arguments.size(), 2u);
    ASSERT_EQ(parsed.diagnostics.size(), 1u);
    EXPECT_EQ(parsed.diagnostics[0].kind(), Kind::duplicateArgument);
    EXPECT_EQ(parsed.diagnostics[0].location(), SourceLocation(7, 14));
}

TEST(DirectiveArgumentParsingTest, ManyArgumentsOnOneLine) {
    std::string text = "@D(";
    for (int i = 0; i < 20000; ++i) {
        text += "n" + std::to_string(i % 10000) + ": v, ";
    }
    const Parsed parsed = parse({afterOpening(text)});
    EXPECT_EQ(parsed.arguments.size(), 20000u);
    EXPECT_EQ(parsed.diagnostics.size(), 10000u); // the second round repeats every name
}

TEST(DirectiveArgumentParsingTest, TrailingCommaOnTheLastArgumentIsFine) {
    const std::string text = "@D(a: b, c: d,";
    const Parsed parsed = parse({afterOpening(text)});
    ASSERT_EQ(parsed.arguments.size(), 2u);
    EXPECT_TRUE(parsed.arguments[1].hasTrailingComma);
    EXPECT_TRUE(parsed.diagnostics.empty());
}

TEST(DirectiveArgumentParsingTest, TextWithoutLineNumbersRecordsNothing) {
    const std::string text = "a: 1 a: 2, a: \"open, b : c";
    std::vector<ParseError> diagnostics = {unexpected(';', 1, 1)};
    const std::vector<DirectiveArgument> arguments =
        DirectiveArgumentText(text).parseNameValueArguments(diagnostics);
    ASSERT_EQ(arguments.size(), 3u);
    EXPECT_EQ(arguments, DirectiveArgumentText(text).parseNameValueArguments());
    for (const DirectiveArgument& argument : arguments) {
        EXPECT_FALSE(argument.nameRange);
        EXPECT_FALSE(argument.valueRange);
    }
    EXPECT_EQ(diagnostics.size(), 1u); // only what the caller had
}

TEST(DirectiveArgumentParsingTest, UnquotedLiteralStopsOnlyAtItsTerminators) {
    const std::string text = "@D(a\\,b: x\t\"y(z";
    const Parsed parsed = parse({afterOpening(text)});
    ASSERT_EQ(parsed.arguments.size(), 1u);
    EXPECT_EQ(parsed.arguments[0].name, "a\\,b");
    EXPECT_EQ(parsed.arguments[0].value, "x\t\"y(z");
}

} // namespace
} // namespace Markdown
