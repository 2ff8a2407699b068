#include <Markdown/Parser/DirectiveArgumentParsing.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Markdown::DirectiveArgumentParsing {

void PrintTo(const Diagnostic& diagnostic, std::ostream* out) {
    *out << "{kind " << static_cast<int>(diagnostic.kind) << ", \"" << diagnostic.text << "\" at "
         << diagnostic.location.line << ":" << diagnostic.location.column << ", first at "
         << diagnostic.firstLocation.line << ":" << diagnostic.firstLocation.column << "}";
}

namespace {

using Kind = Diagnostic::Kind;

// Argument text as it follows "@D(" on line `line`: its first character is at column 4.
ArgumentLine afterOpening(const std::string& text, int line = 7) {
    return {text, 3, line};
}

struct Parsed {
    std::vector<Argument> arguments;
    std::vector<Diagnostic> diagnostics;
};

Parsed parse(const std::vector<ArgumentLine>& lines) {
    Parsed parsed;
    parsed.arguments = parseNameValueArguments(lines, parsed.diagnostics);
    return parsed;
}

LineRange onLine(int line, int from, int to) {
    return {{line, from}, {line, to}};
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
    EXPECT_EQ(parsed.arguments[0], (Argument{"first", onLine(7, 4, 9), "one", onLine(7, 11, 14), true}));
    EXPECT_EQ(parsed.arguments[1],
              (Argument{"second name", onLine(7, 17, 28), "two, three", onLine(7, 32, 42), false}));
    EXPECT_TRUE(parsed.diagnostics.empty());
}

TEST(DirectiveArgumentParsingTest, LoneLiteralIsAnUnnamedArgumentOnEveryLine) {
    const std::string first = "@D(value";
    const std::string second = "  other  ";
    const std::string third = "x,";
    const Parsed parsed = parse({afterOpening(first), {second, 0, 8}, {third, 0, 9}});
    ASSERT_EQ(parsed.arguments.size(), 3u);
    EXPECT_EQ(parsed.arguments[0], (Argument{"", std::nullopt, "value", onLine(7, 4, 9), false}));
    EXPECT_EQ(parsed.arguments[1], (Argument{"", std::nullopt, "other", onLine(8, 3, 8), false}));
    EXPECT_EQ(parsed.arguments[2], (Argument{"", std::nullopt, "x", onLine(9, 1, 2), true}));
    // Two of them lack a comma after their value; the duplicate unnamed names have no ranges.
    EXPECT_EQ(parsed.diagnostics,
              (std::vector<Diagnostic>{{Kind::missingExpectedCharacter, ",", {7, 9}, {}},
                                       {Kind::missingExpectedCharacter, ",", {8, 8}, {}}}));
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
    EXPECT_EQ(parsed.diagnostics,
              (std::vector<Diagnostic>{{Kind::missingExpectedCharacter, "\"", {7, 21}, {}}}));

    const std::string asName = "@D(a: b, \"open";
    const Parsed dropped = parse({afterOpening(asName)});
    ASSERT_EQ(dropped.arguments.size(), 1u);
    EXPECT_EQ(dropped.diagnostics,
              (std::vector<Diagnostic>{{Kind::missingExpectedCharacter, "\"", {7, 15}, {}},
                                       {Kind::missingExpectedCharacter, ":", {7, 15}, {}}}));
}

// Recovery skips to the next comma, and each pass that meets a comma reports it and skips to the one
// after it, so the rest of the line yields no arguments.
TEST(DirectiveArgumentParsingTest, BlankBeforeColonDropsTheRestOfTheLine) {
    const std::string text = "@D(name : value, next: x, last: y)";
    const Parsed parsed = parse({afterOpening(text.substr(0, text.size() - 1))});
    EXPECT_TRUE(parsed.arguments.empty());
    EXPECT_EQ(parsed.diagnostics, (std::vector<Diagnostic>{{Kind::missingExpectedCharacter, ":", {7, 8}, {}},
                                                           {Kind::unexpectedCharacter, ",", {7, 17}, {}},
                                                           {Kind::unexpectedCharacter, ",", {7, 26}, {}}}));
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
    EXPECT_EQ(parsed.arguments[1], (Argument{"c", onLine(7, 9, 10), "d", onLine(7, 12, 13), false}));
    EXPECT_EQ(parsed.diagnostics,
              (std::vector<Diagnostic>{{Kind::missingExpectedCharacter, ",", {7, 8}, {}}}));
}

TEST(DirectiveArgumentParsingTest, LeadingCommaSkipsToTheFollowingCommas) {
    const std::string text = "@D(,a: b, c: d";
    const Parsed parsed = parse({afterOpening(text)});
    EXPECT_TRUE(parsed.arguments.empty());
    EXPECT_EQ(parsed.diagnostics, (std::vector<Diagnostic>{{Kind::unexpectedCharacter, ",", {7, 5}, {}},
                                                           {Kind::unexpectedCharacter, ",", {7, 10}, {}}}));
}

TEST(DirectiveArgumentParsingTest, RepeatedNamesAreAllKeptAndReported) {
    const std::string first = "@D(n: 1,";
    const std::string second = "n: 2, n: 3";
    const Parsed parsed = parse({afterOpening(first), {second, 0, 8}});
    ASSERT_EQ(parsed.arguments.size(), 3u);
    EXPECT_EQ(parsed.diagnostics, (std::vector<Diagnostic>{{Kind::duplicateArgument, "n", {8, 1}, {7, 4}},
                                                           {Kind::duplicateArgument, "n", {8, 7}, {7, 4}}}));
}

TEST(DirectiveArgumentParsingTest, DuplicatesCompareUnderCanonicalEquivalence) {
    const std::string text = "@D(caf\xC3\xA9: 1, cafe\xCC\x81: 2";
    const Parsed parsed = parse({afterOpening(text)});
    ASSERT_EQ(parsed.arguments.size(), 2u);
    ASSERT_EQ(parsed.diagnostics.size(), 1u);
    EXPECT_EQ(parsed.diagnostics[0].kind, Kind::duplicateArgument);
    EXPECT_EQ(parsed.diagnostics[0].location, (LinePosition{7, 14}));
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

TEST(DirectiveArgumentParsingTest, CanonicalEquivalence) {
    EXPECT_TRUE(canonicallyEqual("caf\xC3\xA9", "cafe\xCC\x81"));
    EXPECT_FALSE(canonicallyEqual("cafe", "caf\xC3\xA9"));
    EXPECT_FALSE(canonicallyEqual("Name", "name"));
    EXPECT_TRUE(canonicallyEqual("", ""));
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
    std::vector<Diagnostic> diagnostics = {{Kind::unexpectedCharacter, ";", {1, 1}, {}}};
    const std::vector<ArgumentLine> lines = {{text, 0, std::nullopt}};
    const std::vector<Argument> arguments = parseNameValueArguments(lines, diagnostics);
    ASSERT_EQ(arguments.size(), 3u);
    for (const Argument& argument : arguments) {
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
} // namespace Markdown::DirectiveArgumentParsing
