#include <Markdown/Parser/LineSplitting.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Markdown {
namespace {

using Lex = TrimmedLine::Lex;

struct SplitCase {
    const char* name;
    std::string text;
    std::vector<std::string> lines;
};

void PrintTo(const SplitCase& value, std::ostream* out) {
    *out << value.name;
}

class SplitLinesTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitLinesTest, SplitsAtEveryLineBreak) {
    std::vector<std::string> lines;
    for (std::string_view line : splitLines(GetParam().text)) {
        lines.emplace_back(line);
    }
    EXPECT_EQ(lines, GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(Breaks, SplitLinesTest,
                         ::testing::Values(SplitCase{"crLfIsOneBreak", "a\r\nb", {"a", "b"}},
                                           SplitCase{"loneCr", "a\rb", {"a", "b"}},
                                           SplitCase{"lfCrIsTwoBreaks", "a\n\rb", {"a", "", "b"}},
                                           SplitCase{"trailingBreakEndsWithEmptyLine", "a\n", {"a", ""}},
                                           SplitCase{"emptyTextIsOneEmptyLine", "", {""}},
                                           SplitCase{"verticalTabAndFormFeed", "a\vb\fc", {"a", "b", "c"}},
                                           SplitCase{"nextLineAndLineSeparator",
                                                     "a\xC2\x85"
                                                     "b\xE2\x80\xA8"
                                                     "c\xE2\x80\xA9"
                                                     "d",
                                                     {"a", "b", "c", "d"}},
                                           SplitCase{"otherMultibyteIsNotABreak",
                                                     "\xC2\xA0x\xE2\x80\xA7y",
                                                     {"\xC2\xA0x\xE2\x80\xA7y"}},
                                           SplitCase{"combiningMarkAfterBreakStartsTheNextLine",
                                                     "a\n\xCC\x81"
                                                     "b",
                                                     {"a", "\xCC\x81"
                                                           "b"}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LazySplitLinesTest, NumbersLinesFromOneAndStopsAtTheEnd) {
    const std::string text = "first\nsecond\n";
    LazySplitLines::Iterator iterator = LazySplitLines(text).makeIterator();
    std::vector<std::pair<int, std::string>> seen;
    while (std::optional<TrimmedLine> line = iterator.next()) {
        ASSERT_TRUE(line->lineNumber());
        EXPECT_EQ(line->parseIndex(), 0u);
        seen.emplace_back(*line->lineNumber(), std::string(line->untrimmedText()));
    }
    EXPECT_EQ(seen, (std::vector<std::pair<int, std::string>>{{1, "first"}, {2, "second"}, {3, ""}}));
    EXPECT_FALSE(iterator.next());
}

TEST(LazySplitLinesTest, LinesAreViewsIntoTheText) {
    const std::string text = "ab\ncd";
    std::optional<TrimmedLine> second;
    LazySplitLines::Iterator iterator = LazySplitLines(text).makeIterator();
    iterator.next();
    second = iterator.next();
    ASSERT_TRUE(second);
    EXPECT_EQ(second->untrimmedText().data(), text.data() + 3);
}

TEST(TrimmedLineTest, LocationCountsUtf8Bytes) {
    TrimmedLine line("\xC3\xA9x", 4);
    const std::optional<Lex> accent = line.take(1);
    ASSERT_TRUE(accent);
    EXPECT_EQ(accent->text, "\xC3\xA9");
    EXPECT_EQ(line.location(), (SourceLocation(4, 3)));
    EXPECT_EQ(accent->range, (SourceRange(SourceLocation(4, 1), SourceLocation(4, 3))));
}

TEST(TrimmedLineTest, TakeCountsUserPerceivedCharacters) {
    TrimmedLine line("e\xCC\x81"
                     "\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD"
                     "z",
                     1); // e + combining acute, thumbs up + tone
    const std::optional<Lex> two = line.take(2);
    ASSERT_TRUE(two);
    EXPECT_EQ(two->text, "e\xCC\x81"
                         "\xF0\x9F\x91\x8D\xF0\x9F\x8F\xBD");
    EXPECT_EQ(line.remaining(), "z");
}

TEST(TrimmedLineTest, TakeEdgeCases) {
    TrimmedLine line("abc", 1);
    EXPECT_FALSE(line.take(0));
    const std::optional<Lex> empty = line.take(0, true);
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->text, "");
    EXPECT_EQ(empty->range, (SourceRange(SourceLocation(1, 1), SourceLocation(1, 1))));
    const std::optional<Lex> all = line.take(10);
    ASSERT_TRUE(all);
    EXPECT_EQ(all->text, "abc");
    EXPECT_FALSE(line.take(1));
    const std::optional<Lex> atEnd = line.take(1, true);
    ASSERT_TRUE(atEnd);
    EXPECT_EQ(atEnd->range, (SourceRange(SourceLocation(1, 4), SourceLocation(1, 4))));
}

TEST(TrimmedLineTest, WithoutLineNumberThereAreNoPositions) {
    TrimmedLine line("abc");
    EXPECT_FALSE(line.location());
    const std::optional<Lex> lex = line.take(2);
    ASSERT_TRUE(lex);
    EXPECT_EQ(lex->text, "ab");
    EXPECT_FALSE(lex->range);
}

TEST(TrimmedLineTest, LexWhitespace) {
    TrimmedLine blanks("  \tx", 1);
    const std::optional<Lex> taken = blanks.lexWhitespace();
    ASSERT_TRUE(taken);
    EXPECT_EQ(taken->text, "  \t");
    EXPECT_EQ(blanks.remaining(), "x");

    TrimmedLine letter("x  ", 1);
    EXPECT_FALSE(letter.lexWhitespace());
    EXPECT_EQ(letter.parseIndex(), 0u);

    TrimmedLine limited("   x", 1);
    const std::optional<Lex> one = limited.lexWhitespace(1);
    ASSERT_TRUE(one);
    EXPECT_EQ(one->text, " ");

    TrimmedLine noBreakSpace("\xC2\xA0x", 1);
    EXPECT_FALSE(noBreakSpace.lexWhitespace());
    TrimmedLine spaceWithMark(" \xCC\x81x", 1); // a space carrying a combining mark is not a blank
    EXPECT_FALSE(spaceWithMark.lexWhitespace());
}

TEST(TrimmedLineTest, LexUntilCharacter) {
    TrimmedLine startsWithColon(":rest", 1);
    EXPECT_FALSE(startsWithColon.lex(":"));
    TrimmedLine noColon("name value", 1);
    const std::optional<Lex> all = noColon.lex(":");
    ASSERT_TRUE(all);
    EXPECT_EQ(all->text, "name value");
    TrimmedLine beforeComma("a b, c", 2);
    const std::optional<Lex> piece = beforeComma.lex(",");
    ASSERT_TRUE(piece);
    EXPECT_EQ(piece->text, "a b");
    EXPECT_EQ(beforeComma.remaining(), ", c");
    EXPECT_EQ(piece->range, (SourceRange(SourceLocation(2, 1), SourceLocation(2, 4))));
}

TEST(TrimmedLineTest, IndentationColumnCount) {
    EXPECT_EQ(TrimmedLine("\t x").indentationColumnCount(), 5);
    EXPECT_EQ(TrimmedLine(" \tx").indentationColumnCount(), 4);
    EXPECT_EQ(TrimmedLine("x").indentationColumnCount(), 0);
    EXPECT_EQ(TrimmedLine("   \t\tx").indentationColumnCount(), 8);
    TrimmedLine consumed("  x", 1);
    consumed.lexWhitespace();
    EXPECT_EQ(consumed.indentationColumnCount(), 2);
}

TEST(TrimmedLineTest, IsProbablyCodeFence) {
    EXPECT_TRUE(TrimmedLine("   ```cpp").isProbablyCodeFence());
    EXPECT_TRUE(TrimmedLine("~~~~").isProbablyCodeFence());
    EXPECT_FALSE(TrimmedLine("``").isProbablyCodeFence());
    EXPECT_FALSE(TrimmedLine("    `code`").isProbablyCodeFence());
    TrimmedLine line("```x", 1);
    EXPECT_TRUE(line.isProbablyCodeFence());
    EXPECT_EQ(line.parseIndex(), 0u); // the check works on a copy
}

} // namespace
} // namespace Markdown
