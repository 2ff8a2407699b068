#include "FormatterTestSupport.h"
#include "GfmHarness/CmarkCli.h"
#include "StructuralComparison.h"

#include <Markdown/Walker/Walkers/CharacterCount.h>

#include <gtest/gtest.h>

#include <functional>

namespace FormatterTest {
namespace {

using Markdown::Testing::cmarkGfmHtml;

TEST(CharacterCount, CountsUserPerceivedCharacters) {
    struct Case {
        std::string text;
        std::int64_t characters;
        std::size_t bytesOfLastTwo;
    };
    for (const Case& c : {Case{"", 0, 0}, Case{"abc", 3, 2}, Case{"a\r\nb", 3, 3}, Case{"żółw", 4, 3},
                          Case{"xe\u0301y", 3, 4}, Case{"a\U0001F468\u200D\U0001F469\u200D\U0001F467", 2, 19},
                          Case{"\U0001F1F5\U0001F1F1!", 2, 9}, Case{"é", 1, 2}}) {
        EXPECT_EQ(characterCount(c.text), c.characters) << c.text;
        EXPECT_EQ(byteLengthOfLastCharacters(c.text, 2), c.bytesOfLastTwo) << c.text;
    }
}

// Option values

TEST(MarkupFormatterOptions, DefaultsAreTheDocumentedOnes) {
    const MarkupFormatter::Options& options = MarkupFormatter::Options::defaultOptions();
    EXPECT_EQ(options, OptionValues{}.make());
    EXPECT_EQ(options.unorderedListMarker(), UnorderedListMarker::dash);
    EXPECT_EQ(options.orderedListNumerals(), OrderedListNumerals::allSame(1));
    EXPECT_EQ(options.useCodeFence(), UseCodeFence::always);
    EXPECT_EQ(options.thematicBreakLength(), 5u);
    EXPECT_TRUE(options.condenseAutolinks());
    EXPECT_FALSE(options.preferredLineLimit());
    EXPECT_EQ(options.customLinePrefix(), "");
}

TEST(MarkupFormatterOptions, ThematicBreakLengthIsAtLeastThree) {
    for (const auto& [given, stored] : {std::pair{0u, 3u}, {1u, 3u}, {2u, 3u}, {3u, 3u}, {4u, 4u}}) {
        OptionValues values;
        values.thematicBreakLength = given;
        EXPECT_EQ(values.make().thematicBreakLength(), stored) << "given " << given;
    }
}

template <class E> void expectRawValuesRoundTrip(std::initializer_list<std::string_view> expectedRawValues) {
    std::vector<std::string_view> rawValues;
    for (const E option : allCases<E>()) {
        rawValues.push_back(rawValue(option));
        EXPECT_EQ(fromRawValue<E>(rawValue(option)), option);
    }
    EXPECT_EQ(rawValues, std::vector<std::string_view>(expectedRawValues));
    EXPECT_EQ(fromRawValue<E>("no such option"), std::nullopt);
}

TEST(MarkupFormatterOptions, EnumerationsConvertToAndFromTheirRawStrings) {
    expectRawValuesRoundTrip<UnorderedListMarker>({"-", "+", "*"});
    expectRawValuesRoundTrip<UseCodeFence>({"when-language-present", "always", "never"});
    expectRawValuesRoundTrip<ThematicBreakCharacter>({"-", "_", "*"});
    expectRawValuesRoundTrip<EmphasisMarker>({"*", "_"});
    expectRawValuesRoundTrip<PreferredHeadingStyle>({"atx", "setext"});
    expectRawValuesRoundTrip<DoxygenCommandPrefix>({"\\", "@"});
    expectRawValuesRoundTrip<AdjacentDoxygenCommandsSpacing>({"single-newline", "separate-paragraphs"});
    expectRawValuesRoundTrip<LineSplittingElement>({"soft-break", "hard-break"});
}

// Each option value against a small fixture

struct OptionCase {
    std::string name;
    std::function<void(OptionValues&)> set;
    std::function<Markup()> fixture;
    std::string expected;
};

Markup unorderedFixture() {
    return Document({UnorderedList({item("a"), item("b")})});
}
Markup orderedFixture() {
    return Document({OrderedList({item("c"), item("d"), item("e")})});
}
Markup codeWithLanguage() {
    return Document({CodeBlock("python", "print(1)\n")});
}
Markup codeWithoutLanguage() {
    return Document({CodeBlock(std::nullopt, "x = 1\n")});
}
Markup breakFixture() {
    return Document({paragraph("a"), ThematicBreak()});
}
Markup emphasisFixture() {
    return Document({Paragraph({Emphasis({Text("a")}), Text(" "), Strong({Text("b")})})});
}
Markup autolinkFixture() {
    return Document({Paragraph({Link("https://x.org", std::nullopt, {Text("https://x.org")})})});
}
Markup headingFixture() {
    return Document({Heading(1, {Text("Title")}), Heading(2, {Text("Sub")}), Heading(3, {Text("Deep")})});
}
Markup doxygenFixture() {
    return Document({paragraph("Summary"), DoxygenParameter("x", {paragraph("first")}),
                     DoxygenParameter("y", {paragraph("second")}), DoxygenReturns({paragraph("r")})});
}
Markup wrapFixture() {
    return Document({paragraph("aaaa bbbb cccc dddd eeee ffff")});
}

class PrinterOptionTest : public ::testing::TestWithParam<OptionCase> {};

TEST_P(PrinterOptionTest, PrintsTheFixtureAsTheOptionSays) {
    OptionValues values;
    GetParam().set(values);
    EXPECT_EQ(formatted(GetParam().fixture(), values), GetParam().expected);
}

const auto none = [](OptionValues&) {
};

INSTANTIATE_TEST_SUITE_P(
    EachOption, PrinterOptionTest,
    ::testing::Values(
        OptionCase{"markerDash", none, unorderedFixture, "- a\n- b"},
        OptionCase{"markerPlus", [](auto& o) { o.unorderedListMarker = UnorderedListMarker::plus; },
                   unorderedFixture, "+ a\n+ b"},
        OptionCase{"markerStar", [](auto& o) { o.unorderedListMarker = UnorderedListMarker::star; },
                   unorderedFixture, "* a\n* b"},
        OptionCase{"numeralsAllSameOne", none, orderedFixture, "1. c\n1. d\n1. e"},
        OptionCase{"numeralsAllSameSeven",
                   [](auto& o) { o.orderedListNumerals = OrderedListNumerals::allSame(7); }, orderedFixture,
                   "7. c\n7. d\n7. e"},
        OptionCase{"numeralsIncrementing",
                   [](auto& o) { o.orderedListNumerals = OrderedListNumerals::incrementing(3); },
                   orderedFixture, "3. c\n4. d\n5. e"},
        OptionCase{"fenceAlwaysWithLanguage", none, codeWithLanguage, "```python\nprint(1)\n```"},
        OptionCase{"fenceAlwaysWithoutLanguage", none, codeWithoutLanguage, "```\nx = 1\n```"},
        OptionCase{"fenceNever", [](auto& o) { o.useCodeFence = UseCodeFence::never; }, codeWithLanguage,
                   "    print(1)"},
        OptionCase{"fenceWhenLanguagePresentWith",
                   [](auto& o) { o.useCodeFence = UseCodeFence::onlyWhenLanguageIsPresent; },
                   codeWithLanguage, "```python\nprint(1)\n```"},
        OptionCase{"fenceWhenLanguagePresentWithout",
                   [](auto& o) { o.useCodeFence = UseCodeFence::onlyWhenLanguageIsPresent; },
                   codeWithoutLanguage, "    x = 1"},
        OptionCase{"defaultLanguageFillsIn", [](auto& o) { o.defaultCodeBlockLanguage = "text"; },
                   codeWithoutLanguage, "```text\nx = 1\n```"},
        OptionCase{"defaultLanguageYieldsToOwn", [](auto& o) { o.defaultCodeBlockLanguage = "text"; },
                   codeWithLanguage, "```python\nprint(1)\n```"},
        OptionCase{"breakDash", none, breakFixture, "a\n\n-----"},
        OptionCase{"breakUnderline",
                   [](auto& o) { o.thematicBreakCharacter = ThematicBreakCharacter::underline; },
                   breakFixture, "a\n\n_____"},
        OptionCase{"breakStarShort",
                   [](auto& o) {
                       o.thematicBreakCharacter = ThematicBreakCharacter::star;
                       o.thematicBreakLength = 1;
                   },
                   breakFixture, "a\n\n***"},
        OptionCase{"emphasisStar", none, emphasisFixture, "*a* **b**"},
        OptionCase{"emphasisUnderline", [](auto& o) { o.emphasisMarker = EmphasisMarker::underline; },
                   emphasisFixture, "_a_ __b__"},
        OptionCase{"autolinkCondensed", none, autolinkFixture, "<https://x.org>"},
        OptionCase{"autolinkSpelledOut", [](auto& o) { o.condenseAutolinks = false; }, autolinkFixture,
                   "[https://x.org](https://x.org)"},
        OptionCase{"headingsATX", none, headingFixture, "# Title\n\n## Sub\n\n### Deep"},
        OptionCase{"headingsSetext", [](auto& o) { o.preferredHeadingStyle = PreferredHeadingStyle::setext; },
                   headingFixture, "Title\n=====\n\nSub\n---\n\n### Deep"},
        OptionCase{"noLineLimit", none, wrapFixture, "aaaa bbbb cccc dddd eeee ffff"},
        OptionCase{
            "limitSoftBreak",
            [](auto& o) { o.preferredLineLimit = PreferredLineLimit(20, LineSplittingElement::softBreak); },
            wrapFixture, "aaaa bbbb cccc dddd\neeee ffff"},
        OptionCase{
            "limitHardBreak",
            [](auto& o) { o.preferredLineLimit = PreferredLineLimit(20, LineSplittingElement::hardBreak); },
            wrapFixture, "aaaa bbbb cccc  \ndddd eeee ffff"},
        OptionCase{"customPrefix", [](auto& o) { o.customLinePrefix = "// "; },
                   [] {
                       return Markup(Document({paragraph("a"), paragraph("b")}));
                   },
                   "// a\n// \n// b"},
        OptionCase{"doxygenSingleNewline", none, doxygenFixture,
                   "Summary\n\n\\param x first\n\\param y second\n\\returns r"},
        OptionCase{"doxygenSeparateParagraphs",
                   [](auto& o) {
                       o.adjacentDoxygenCommandsSpacing = AdjacentDoxygenCommandsSpacing::separateParagraphs;
                   },
                   doxygenFixture, "Summary\n\n\\param x first\n\n\\param y second\n\n\\returns r"},
        OptionCase{"doxygenAt", [](auto& o) { o.doxygenCommandPrefix = DoxygenCommandPrefix::at; },
                   doxygenFixture, "Summary\n\n@param x first\n@param y second\n@returns r"}),
    [](const auto& info) { return info.param.name; });

// Blocks

struct BlockCase {
    std::string name;
    std::function<Markup()> fixture;
    std::string expected;
};

class PrinterBlockTest : public ::testing::TestWithParam<BlockCase> {};

TEST_P(PrinterBlockTest, PrintsTheBlocks) {
    EXPECT_EQ(formatted(GetParam().fixture()), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, PrinterBlockTest,
    ::testing::Values(
        BlockCase{"twoParagraphsOneBlankLineNoFinalNewline",
                  [] {
                      return Markup(Document({paragraph("a"), paragraph("b")}));
                  },
                  "a\n\nb"},
        BlockCase{
            "quoteInQuoteStartsWithANewline",
            [] { return Markup(Document({BlockQuote(std::vector<Markup>{BlockQuote({paragraph("a")})})})); },
            "\n> > a"},
        BlockCase{"quoteAfterParagraphBlankLineWithoutMarker",
                  [] {
                      return Markup(Document({paragraph("a"), BlockQuote({paragraph("b"), paragraph("c")})}));
                  },
                  "a\n\n> b\n> \n> c"},
        BlockCase{"quoteInsideListItemIndentsItsLines",
                  [] {
                      return Markup(Document({UnorderedList({ListItem(
                          std::nullopt, {paragraph("x"),
                                         BlockQuote({Paragraph({Text("a"), SoftBreak(), Text("b")})})})})}));
                  },
                  "- x\n\n  > a\n  > b"},
        BlockCase{"quoteOpeningAnItemKeepsItsMarker",
                  [] {
                      return Markup(Document({UnorderedList(
                          {ListItem(std::nullopt, {BlockQuote({paragraph("a"), paragraph("b")})})})}));
                  },
                  "- > a\n  > \n  > b"},
        BlockCase{"orderedContentIndentedByTheNumeralWidth",
                  [] {
                      return Markup(Document(
                          {OrderedList({ListItem(std::nullopt, {paragraph("a"), paragraph("b")}),
                                        ListItem(std::nullopt, {paragraph("c"), paragraph("d")})})}));
                  },
                  "1. a\n   \n   b\n1. c\n   \n   d"},
        BlockCase{"taskItems",
                  [] {
                      return Markup(Document({UnorderedList({item("done", Checkbox::checked),
                                                             item("open", Checkbox::unchecked)}),
                                              OrderedList({item("n", Checkbox::checked)})}));
                  },
                  "- [x] done\n- [ ] open\n\n1. [x] n"},
        BlockCase{
            "nestedListItemThenSibling",
            [] {
                return Markup(Document({UnorderedList(
                    {ListItem(std::nullopt, {paragraph("a"), UnorderedList({item("b")})}), item("c")})}));
            },
            "- a\n  \n  - b\n- c"},
        BlockCase{"codeBlockDropsOuterEmptyLinesKeepsInner",
                  [] { return Markup(Document({CodeBlock("c", "\n\nx\n\ny\n\n")})); }, "```c\nx\n\ny\n```"},
        BlockCase{"emptyCodeBlockPrintsItsFences", [] { return Markup(Document({CodeBlock()})); },
                  "```\n```"},
        BlockCase{"htmlBlockLinesThenNextBlock",
                  [] {
                      return Markup(Document({HTMLBlock("\n<div>\n\n</div>\n"), paragraph("p")}));
                  },
                  "<div>\n\n</div>\n\np"},
        BlockCase{"htmlBlockLineBreakKinds", [] { return Markup(Document({HTMLBlock("a\r\nb\rc\u2028d")})); },
                  "a\nb\nc\u2028d"},
        BlockCase{"directiveAlone", [] { return Markup(Document({BlockDirective("Intro")})); }, "@Intro"},
        BlockCase{"directiveWithArgumentsAndChildren",
                  [] {
                      return Markup(
                          Document({BlockDirective("Box", "a: 1\nb: 2", {paragraph("x"), paragraph("y")})}));
                  },
                  "@Box(a: 1\nb: 2) {\n    x\n    \n    y\n}"},
        BlockCase{"doxygenAfterParagraphAlwaysBlankLine",
                  [] {
                      return Markup(Document({paragraph("a"), DoxygenNote({paragraph("n")})}));
                  },
                  "a\n\n\\note n"},
        BlockCase{
            "customBlockPrintsItsBlocks",
            [] {
                return Markup(Document({paragraph("a"), CustomBlock({paragraph("b"), paragraph("c")})}));
            },
            "a\n\nb\n\nc"}),
    [](const auto& info) { return info.param.name; });

TEST(MarkupFormatter, SetextUnderlineCoversThePrefixedLine) {
    OptionValues values;
    values.preferredHeadingStyle = PreferredHeadingStyle::setext;
    values.customLinePrefix = "//";
    EXPECT_EQ(formatted(Document({Heading(2, {Emphasis({Text("ab")})})}), values), "//*ab*\n//------");
}

// Inlines and wrapping

TEST(MarkupFormatter, TextIsNotEscapedOutsideTables) {
    EXPECT_EQ(formatted(Paragraph({Text("*a* _b_ [c] |d| <e>")})), "*a* _b_ [c] |d| <e>");
}

TEST(MarkupFormatter, InlineElementsPrintInTheirMarkdownForms) {
    const Paragraph para({Strikethrough({Text("s")}), Text(" "), Image("i.png", "T", {Text("alt")}),
                          Text(" "), Link("u", std::nullopt, {Text("l")}), Text(" "), InlineHTML("<b>"),
                          Text(" "), SymbolLink("Sym"), Text(" "), InlineAttributes("class: x", {Text("t")}),
                          LineBreak(), Text("next"), SoftBreak(), Text("soft"), CustomInline("custom")});
    EXPECT_EQ(formatted(para),
              "~s~ ![alt](i.png \"T\") [l](u) <b> ``Sym`` ^[t](class: x)  \nnext\nsoftcustom");
}

TEST(MarkupFormatter, WithLineLimitASoftBreakAloneFormatsToNothing) {
    OptionValues values;
    values.preferredLineLimit = PreferredLineLimit(10, LineSplittingElement::softBreak);
    EXPECT_EQ(formatted(SoftBreak(), values), "");
    EXPECT_EQ(formatted(SoftBreak()), "");
    EXPECT_EQ(formatted(Paragraph({Text("a"), SoftBreak(), Text("b")}), values), "a b");
}

TEST(MarkupFormatter, WrappingKeepsBlankRunsAndTurnsTabsIntoSpaces) {
    OptionValues values;
    values.preferredLineLimit = PreferredLineLimit(80, LineSplittingElement::softBreak);
    EXPECT_EQ(formatted(paragraph("a  b\tc"), values), "a  b c");
}

TEST(MarkupFormatter, HeadingsNeverWrap) {
    OptionValues values;
    values.preferredLineLimit = PreferredLineLimit(10, LineSplittingElement::softBreak);
    EXPECT_EQ(formatted(Heading(2, {Text("a long heading that goes on")}), values),
              "## a long heading that goes on");
}

TEST(MarkupFormatter, WrappedLinesCountCharactersNotBytes) {
    OptionValues values;
    values.preferredLineLimit = PreferredLineLimit(12, LineSplittingElement::softBreak);
    // "żółw" is four characters (eight bytes): two of them fit on a line of fewer than 12.
    EXPECT_EQ(formatted(paragraph("żółw żółw żółw"), values), "żółw żółw\nżółw");
}

TEST(MarkupFormatter, UnbrokenElementsMoveWholeToTheNextLine) {
    OptionValues values;
    values.preferredLineLimit = PreferredLineLimit(20, LineSplittingElement::softBreak);
    // A code span past the limit starts a new line; as a first child it stays put, and so does one that
    // continues a word (a line break there would put a blank into the word).
    EXPECT_EQ(formatted(Paragraph({Text("aaaa bbbb cccc "), InlineCode("code span")}), values),
              "aaaa bbbb cccc \n`code span`");
    EXPECT_EQ(formatted(Paragraph({Text("aaaa bbbb cccc"), InlineCode("code span")}), values),
              "aaaa bbbb cccc`code\nspan`");
    EXPECT_EQ(formatted(Paragraph({InlineCode("a very long code span here")}), values),
              "`a very long code\nspan here`");
    // A link whose text wraps is reprinted from its "[" on a new line.
    EXPECT_EQ(formatted(Paragraph({Text("see "), Link("u", std::nullopt, {Text("one two three four five")})}),
                        values),
              "see \n[one two three four\nfive](u)");
    // Taking back a moved element counts characters, not bytes.
    values.preferredLineLimit = PreferredLineLimit(15, LineSplittingElement::softBreak);
    EXPECT_EQ(
        formatted(Paragraph({Text("żółw żółw "), Link("u", std::nullopt, {Text("żółw żółw żółw")})}), values),
        "żółw żółw \n[żółw żółw\nżółw](u)");
    values.preferredLineLimit = PreferredLineLimit(20, LineSplittingElement::softBreak);
    // A condensed autolink is never moved.
    EXPECT_EQ(formatted(Paragraph({Text("aaaa bbbb cccc "),
                                   Link("https://example.org", std::nullopt, {Text("https://example.org")})}),
                        values),
              "aaaa bbbb cccc <https://example.org>");
}

TEST(MarkupFormatter, HardBreakSplittingDoesNotEndAMovedWordWithSpaces) {
    OptionValues values;
    values.preferredLineLimit = PreferredLineLimit(10, LineSplittingElement::hardBreak);
    EXPECT_EQ(formatted(Paragraph({Text("abcdefgh "), Text("ijk lmn")}), values), "abcdefgh \nijk lmn");
    // A text that continues a word begun before it never breaks that word.
    EXPECT_EQ(formatted(Paragraph({Text("abcdefgh"), Text("ijk lmn")}), values), "abcdefghijk  \nlmn");
    EXPECT_EQ(formatted(paragraph("abcd efgh ijk"), values), "abcd  \nefgh  \nijk");
}

// Faults mended

std::string cmarkHTML(const Markup& markup) {
    return cmarkGfmHtml(formatted(markup));
}

TEST(MarkupFormatterFaults, CodeFencesOutlastBacktickRunsInTheCode) {
    const Document fencesInside({CodeBlock(std::nullopt, "a\n```\nb\n`````\n")});
    EXPECT_EQ(formatted(fencesInside), "``````\na\n```\nb\n`````\n``````");
    EXPECT_EQ(cmarkHTML(fencesInside), "<pre><code>a\n```\nb\n`````\n</code></pre>\n");

    const Document backtickInInfo({CodeBlock("a`b", "~~~\n")});
    EXPECT_EQ(formatted(backtickInInfo), "~~~~a`b\n~~~\n~~~~");
    EXPECT_EQ(cmarkHTML(backtickInInfo), "<pre><code class=\"language-a`b\">~~~\n</code></pre>\n");
}

TEST(MarkupFormatterFaults, CodeSpansReadBackAsTheSameCode) {
    struct Case {
        std::string code;
        std::string printed;
    };
    for (const Case& c : {Case{"plain", "`plain`"}, Case{"a`b", "``a`b``"}, Case{"a``b`", "``` a``b` ```"},
                          Case{"`x", "`` `x ``"}, Case{" x ", "`  x  `"}, Case{"  ", "`  `"}}) {
        const Paragraph para({InlineCode(c.code)});
        EXPECT_EQ(formatted(para), c.printed);
        EXPECT_EQ(cmarkHTML(Document({para})), "<p><code>" + escapedForHTML(c.code) + "</code></p>\n")
            << c.code;
    }
}

TEST(MarkupFormatterFaults, LinkTitlesArePrintedAndQuoted) {
    const Paragraph para(
        {Link("/u", "say \"hi\" \\*", {Text("x")}), Text(" "), Image("/i.png", "it's \"x\"", {Text("alt")})});
    EXPECT_EQ(formatted(para), R"([x](/u "say \"hi\" \\*") ![alt](/i.png "it's \"x\""))");
    EXPECT_EQ(cmarkHTML(Document({para})),
              "<p><a href=\"/u\" title=\"say &quot;hi&quot; \\*\">x</a> "
              "<img src=\"/i.png\" alt=\"alt\" title=\"it's &quot;x&quot;\" /></p>\n");
}

TEST(MarkupFormatterFaults, NestedLinksWithSoftBreaksReprintOnce) {
    // Under a line limit every link below is broken over lines and is not its parent's first child, so each
    // level would print its content twice more if reprints re-ran inside a reprint: 2^40 prints. Without a
    // limit nothing moves.
    constexpr int depth = 40;
    Markup nested = Emphasis({Text("a"), SoftBreak(), Text("b")});
    std::string printed = "*a\nb*";
    for (int level = 0; level < depth - 1; ++level) {
        nested = Emphasis({Text("x"), Link("d", std::nullopt, {nested})});
        printed = "*x[" + printed + "](d)*";
    }
    const Paragraph para({Text("intro "), Link("d", std::nullopt, {nested})});
    EXPECT_EQ(formatted(para), "intro [" + printed + "](d)");

    OptionValues values;
    values.preferredLineLimit = PreferredLineLimit(30, LineSplittingElement::softBreak);
    EXPECT_TRUE(formatted(para, values).starts_with("intro \n[*x[*x[*x["));
}

TEST(MarkupFormatterFaults, ListsAndQuotesInsideItemsStayInsideThem) {
    OptionValues numbered;
    numbered.orderedListNumerals = OrderedListNumerals::incrementing(9);
    const Document nested(
        {OrderedList({ListItem(std::nullopt, {paragraph("a"), UnorderedList({item("b")})}),
                      ListItem(std::nullopt, {paragraph("c"), OrderedList({item("d")}),
                                              BlockQuote({UnorderedList({item("e")})})})})});
    const std::string printed = formatted(nested, numbered);
    EXPECT_EQ(printed, "9. a\n   \n   - b\n10. c\n    \n    9. d\n\n    > - e");
    EXPECT_EQ(cmarkGfmHtml(printed), "<ol start=\"9\">\n<li>\n<p>a</p>\n<ul>\n<li>b</li>\n</ul>\n</li>\n"
                                     "<li>\n<p>c</p>\n<ol start=\"9\">\n<li>d</li>\n</ol>\n<blockquote>\n"
                                     "<ul>\n<li>e</li>\n</ul>\n</blockquote>\n</li>\n</ol>\n");
}

TEST(MarkupFormatterFaults, SoftBreaksInsideOneLineHeadingsAreSpaces) {
    const Document document({Heading(1, {Text("a"), SoftBreak(), Text("b")})});
    EXPECT_EQ(formatted(document), "# a b");
    OptionValues setext;
    setext.preferredHeadingStyle = PreferredHeadingStyle::setext;
    EXPECT_EQ(formatted(document, setext), "a\nb\n=");
}

TEST(MarkupFormatterFaults, DestinationsReadBackUnchanged) {
    struct Case {
        std::string destination;
        std::string printed;
        std::string href; // as cmark-gfm writes it, percent-encoded
    };
    for (const Case& c :
         {Case{"/plain(ok)", "[x](/plain(ok))", "/plain(ok)"}, Case{"/my uri", "[x](</my uri>)", "/my%20uri"},
          Case{"b)c", "[x](<b)c>)", "b)c"}, Case{"a(b", "[x](<a(b>)", "a(b"},
          Case{"<a>", "[x](<\\<a\\>>)", "%3Ca%3E"}, Case{"a\\*b", "[x](a\\\\*b)", "a%5C*b"}}) {
        const Paragraph para({Link(c.destination, std::nullopt, {Text("x")})});
        EXPECT_EQ(formatted(para), c.printed);
        EXPECT_EQ(cmarkGfmHtml(formatted(para)), "<p><a href=\"" + c.href + "\">x</a></p>\n")
            << c.destination;
    }
}

TEST(MarkupFormatterFaults, EmptyQuotesKeepTheirMarker) {
    EXPECT_EQ(formatted(Document({BlockQuote()})), "> ");
    EXPECT_EQ(formatted(Document({paragraph("a"), BlockQuote()})), "a\n\n> ");
    EXPECT_EQ(cmarkGfmHtml(formatted(Document({paragraph("a"), BlockQuote()}))),
              "<p>a</p>\n<blockquote>\n</blockquote>\n");
}

TEST(MarkupFormatterFaults, CustomElementsPrintTheirContent) {
    EXPECT_EQ(formatted(CustomBlock({paragraph("inside")})), "inside");
    EXPECT_EQ(formatted(Paragraph({Text("a "), CustomInline("custom")})), "a custom");
}

// Printing keeps the structure the reader gave the text.

struct StructureCase {
    std::string name;
    std::string markdown;
    std::string printed;
    OptionValues options = {};
    // Whether the texts read as written wherever they stand on a line, so that the printed text reads back
    // without escaping them first.
    bool textsNeedNoEscaping = true;
    friend void PrintTo(const StructureCase& c, std::ostream* out) { *out << c.markdown; }
};

class StructureKeptTest : public ::testing::TestWithParam<StructureCase> {};

TEST_P(StructureKeptTest, PrintedTextReadsBackAsTheSameTree) {
    const StructureCase& c = GetParam();
    const Document document = Document::parsing(c.markdown);
    const std::string printed = formatted(document, c.options);
    EXPECT_EQ(printed, c.printed);
    const std::optional<StructuralDifference> difference = roundTripDifference(document, c.options.make());
    if (difference) {
        ADD_FAILURE() << "the trees part at " << difference->path << "\n"
                      << difference->expected << "read back:\n"
                      << difference->actual;
    }
    if (!c.textsNeedNoEscaping) {
        return;
    }
    const std::optional<StructuralDifference> asPrinted =
        firstStructuralDifference(document, Document::parsing(printed), c.options.make());
    if (asPrinted) {
        ADD_FAILURE() << "as printed, the trees part at " << asPrinted->path << "\n"
                      << asPrinted->expected << "read back:\n"
                      << asPrinted->actual;
    }
}

OptionValues spelledOutAutolinks() {
    OptionValues values;
    values.condenseAutolinks = false;
    return values;
}

OptionValues underscoreEmphasis() {
    OptionValues values;
    values.emphasisMarker = EmphasisMarker::underline;
    return values;
}

OptionValues indentedCode() {
    OptionValues values;
    values.useCodeFence = UseCodeFence::never;
    return values;
}

INSTANTIATE_TEST_SUITE_P(
    FaultsMended, StructureKeptTest,
    ::testing::Values(
        // An element broken over lines by its own soft break stays where it is: moved, it gained a line
        // break before it, or a paragraph break when a soft break already stood there.
        StructureCase{"linkWithSoftBreakStaysInItsLine", "A See [Catching\nundeclared](/x).",
                      "A See [Catching\nundeclared](/x)."},
        StructureCase{"linkWithSoftBreakAfterASoftBreak", "A See\n[Catching\nundeclared](/x).",
                      "A See\n[Catching\nundeclared](/x)."},
        StructureCase{"codeSpanAndImageWithSoftBreaks", "a `b\nc` d ![e\nf](g.png)",
                      "a `b c` d ![e\nf](g.png)"},
        // Only a destination that reads back as an autolink is condensed; inside a link's text an autolink
        // is condensed whatever the option says.
        StructureCase{"autolinkInsideALink", "[<https://a.org> x](/b) <https://c.org>",
                      "[<https://a.org> x](/b) [https://c.org](https://c.org)", spelledOutAutolinks()},
        StructureCase{"relativeLinkNamedAfterItsTarget", "See [INSTALL.md](INSTALL.md) and [A](A).",
                      "See [INSTALL.md](INSTALL.md) and [A](A)."},
        StructureCase{"absoluteLinksCondense",
                      "<https://example.org/a?b=1&c=2> [mailto:a@b.org](mailto:a@b.org)",
                      "<https://example.org/a?b=1&c=2> <mailto:a@b.org>"},
        StructureCase{"referenceInDestinationIsNotCondensed",
                      "[x:a&amp;amp;b](x:a&amp;amp;b)",
                      "[x:a&amp;b](x:a&amp;amp;b)",
                      {},
                      false},
        // A character reference written out in a destination or title stays text.
        StructureCase{"referencesInDestinationAndTitle", "[a](/b?c&amp;amp;d=1&e \"f &amp;lt; g\")",
                      "[a](/b?c&amp;amp;d=1&e \"f &amp;lt; g\")"},
        // A backslash that ends a destination or title is escaped, or it would escape what closes them.
        StructureCase{"backslashesEndingADestinationAndATitle", "[x](a\\\\ \"t\\\\\") [y](<b c\\\\>)",
                      "[x](a\\\\ \"t\\\\\") [y](<b c\\\\>)"},
        // A hard break keeps the blanks before it and never leaves an empty line.
        StructureCase{"lineBreakOnALineOfItsOwn", "a\n\\\nb", "a\n\\\nb"},
        StructureCase{"lineBreakOpeningTheText", "\\\na", "\\\na"},
        StructureCase{"lineBreakAfterBlanks", "> a \\\n> b", "> a \\\n> b"},
        StructureCase{"lineBreakAfterText", "a\\\nb", "a  \nb"},
        // Adjacent lists of one kind take turns with the markers.
        StructureCase{"adjacentBulletLists", "- a\n\n[r]: /r\n* b\n\n[s]: /s\n+ c", "- a\n\n* b\n\n- c"},
        StructureCase{"adjacentOrderedLists", "1. a\n2) b\n", "1. a\n\n1) b"},
        StructureCase{"nestedListsKeepTheirMarker", "- a\n  - b\n- c\n", "- a\n  \n  - b\n- c"},
        // Emphasis that is all of an emphasis takes the other marker; inside words it keeps the option's.
        StructureCase{"emphasisInEmphasis", "*_a_* **_b_** *__c__* __d__ *_**e**_*",
                      "*_a_* **_b_** ***c*** **d** *_**e**_*"},
        StructureCase{"emphasisInsideWords", "*foo**bar**baz* **x*y*z** a***b***c",
                      "*foo**bar**baz* **x*y*z** a***b***c"},
        StructureCase{"emphasisInEmphasisWithUnderscores", "_*a*_ and **b**", "_*a*_ and __b__",
                      underscoreEmphasis()},
        // A heading printed after "#" marks holds a line break as a blank, as it holds a soft break.
        StructureCase{"lineBreakInAHeading", "a\\\nb  \nc\n===\n", "# a b c"},
        // Indented code where indentation would mean something else is fenced.
        StructureCase{"indentedCodeAfterAList", "- a\n\n```\ncode\n```", "- a\n\n```\ncode\n```",
                      indentedCode()},
        StructureCase{"indentedCodeAfterIndentedCode", "```\none\n```\n```\ntwo\n```",
                      "    one\n\n```\ntwo\n```", indentedCode()},
        StructureCase{"emptyIndentedCode", "```\n```\n\nx", "```\n```\n\nx", indentedCode()}),
    [](const auto& info) { return info.param.name; });

OptionValues starMarkersAndRules() {
    OptionValues values;
    values.unorderedListMarker = UnorderedListMarker::star;
    values.thematicBreakCharacter = ThematicBreakCharacter::star;
    return values;
}

// A rule that opens a list item takes a character other than the item's marker, and a list whose first item
// is empty takes the other marker where its line would otherwise hold three markers of one kind: a line of
// one character repeated with blanks is a thematic break.
INSTANTIATE_TEST_SUITE_P(
    ListItemsOpeningWithRules, StructureKeptTest,
    ::testing::Values(StructureCase{"ruleOpeningAnItem", "- ***", "- *****"},
                      StructureCase{"underscoreRuleOpeningAnItem", "* ___", "- *****"},
                      StructureCase{"ruleOpeningALaterItem", "- a\n- ***", "- a\n- *****"},
                      StructureCase{"ruleOpeningANestedItem", "- - ***", "- - *****"},
                      StructureCase{"ruleOpeningAnItemInAQuote", "> - ***", "> - *****"},
                      StructureCase{"starRuleInAStarList", "* ---", "* -----", starMarkersAndRules()},
                      StructureCase{"emptyItemsNestedThreeDeep", "- - *", "- - * "},
                      StructureCase{"emptyItemsNestedThreeDeepWithStars", "* * -", "* * - ",
                                    starMarkersAndRules()},
                      StructureCase{"emptyItemsNestedTwoDeepStayAsTheyAre", "- *", "- - "}),
    [](const auto& info) { return info.param.name; });

// Emphasis next to emphasis, or inside emphasis of its kind where the delimiters could pair with the outer
// ones, takes the other marker; underscores stand only where they open and close (never inside a word).
INSTANTIATE_TEST_SUITE_P(
    AdjacentAndNestedEmphasis, StructureKeptTest,
    ::testing::Values(
        StructureCase{"adjacentEmphases", "_a_*b*", "*a*_b_"},
        StructureCase{"adjacentStrongEmphases", "__a__**b**", "**a**__b__"},
        StructureCase{"threeAdjacentEmphases", "*a*_b_*c*", "*a*_b_*c*"},
        StructureCase{"adjacentEmphasesBeforeAWord", "_a_*b*c", "_a_*b*c"},
        StructureCase{"adjacentEmphasesAfterAWord", "a*b*_c_", "a*b*_c_"},
        StructureCase{"adjacentEmphasesWithUnderscores", "*a*_b_", "_a_*b*", underscoreEmphasis()},
        StructureCase{"adjacentEmphasisAndStrongEmphasis", "**a***b* *c***d** **e**_.f_",
                      "**a**_b_ *c*__d__ **e**_.f_"},
        StructureCase{"adjacentEmphasisAndStrongEmphasisInsideAWord", "x**a***b*y", "x**a***b*y"},
        StructureCase{"strongEmphasisAfterAnEmphasisOpeningAnEmphasis", "**a*__a__*", "**a*__a__*"},
        StructureCase{"underscoreEmphasisInsideAWord", "a*b*c **d**e", "a*b*c **d**e", underscoreEmphasis()},
        StructureCase{"emphasisInsideAWordOfAnEmphasis", "_a*b*c_", "_a*b*c_"},
        StructureCase{"emphasisOpeningAnEmphasisBeforeAWord", "_*a*b_", "_*a*b_"},
        StructureCase{"strongEmphasisInsideAWordOfAStrongEmphasis", "__a**b**c__", "__a**b**c__"},
        StructureCase{"strikethroughInsideStrikethrough", "~~a~b~c~~", "~a~~b~~c~"}),
    [](const auto& info) { return info.param.name; });

// Code and HTML lines end only at the line ends the reader knows (line feed, carriage return); other
// separators are content.
INSTANTIATE_TEST_SUITE_P(
    LiteralLines, StructureKeptTest,
    ::testing::Values(StructureCase{"codeKeepsOtherSeparators", "```\na\fb\vc\u0085d\u2028e\u2029f\n```",
                                    "```\na\fb\vc\u0085d\u2028e\u2029f\n```"},
                      StructureCase{"indentedCodeKeepsOtherSeparators", "```\na\fb\u2028c\n```",
                                    "    a\fb\u2028c", indentedCode()},
                      StructureCase{"htmlKeepsOtherSeparators", "<div>\na\fb\u2028c\n</div>",
                                    "<div>\na\fb\u2028c\n</div>"}),
    [](const auto& info) { return info.param.name; });

// Attributes that the parenthesised form cannot hold (a parenthesis that closes early, a backtick that could
// open a code span, a backslash that would escape the closing parenthesis) are written as a definition,
// which holds any one line, ahead of the text; spans with the same attributes share it.
INSTANTIATE_TEST_SUITE_P(
    AttributeTexts, StructureKeptTest,
    ::testing::Values(
        StructureCase{"unbalancedParenthesis", "^[n]: class: \"x)\"\n^[t][n]",
                      "^[attributes-1]: class: \"x)\"\n\n^[t][attributes-1]"},
        StructureCase{"loneBacktick", "^[n]: a`b\n\n^[t][n] and `c`",
                      "^[attributes-1]: a`b\n\n^[t][attributes-1] and `c`"},
        StructureCase{"trailingBackslash", "^[n]: x\\\n\n^[t][n]",
                      "^[attributes-1]: x\\\n\n^[t][attributes-1]"},
        StructureCase{"sharedAndSeparateDefinitions", "^[n]: (\n^[m]: )\n^[a][n] ^[b][m] ^[c][n]",
                      "^[attributes-1]: (\n^[attributes-2]: )\n\n"
                      "^[a][attributes-1] ^[b][attributes-2] ^[c][attributes-1]"},
        StructureCase{"definitionsForHeadingsCellsAndQuotes",
                      "^[n]: )\n\n# ^[h][n]\n\n| ^[c][n] |\n|---|\n\n> ^[q][n]",
                      "^[attributes-1]: )\n\n"
                      "# ^[h][attributes-1]\n\n"
                      "|^[c][attributes-1]|\n|------------------|\n\n\n"
                      "> ^[q][attributes-1]"},
        StructureCase{"balancedParenthesesStayInline", "^[t](a (b) \\) `c)` d)", "^[t](a (b) \\) `c)` d)"}),
    [](const auto& info) { return info.param.name; });

// A backslash that ends a cell's text would escape the pipe after it: a blank keeps them apart.
INSTANTIATE_TEST_SUITE_P(
    TableCells, StructureKeptTest,
    ::testing::Values(StructureCase{"cellEndingWithABackslash", "| a\\\\ | b |\n|---|---|\n| c | d |",
                                    "|a\\ |b|\n|---|-|\n|c  |d|"},
                      StructureCase{"cellOfABackslash", "| \\\\ |\n|---|\n| x |", "|\\ |\n|--|\n|x |"}),
    [](const auto& info) { return info.param.name; });

OptionValues wrappedAt(std::int64_t maxLength,
                       LineSplittingElement splitting = LineSplittingElement::softBreak) {
    OptionValues values;
    values.preferredLineLimit = PreferredLineLimit(maxLength, splitting);
    return values;
}

// Wrapping never starts a line with what would begin a block there (a list marker, "#", ">", a fence, a rule
// or setext underline, HTML, a table's delimiter row), never breaks a word, never strands an opening
// delimiter at the end of a line, never makes an empty line, and never wraps a table cell.
INSTANTIATE_TEST_SUITE_P(
    WrappedLines, StructureKeptTest,
    ::testing::Values(
        StructureCase{"dash", "aaaa bbbb - c", "aaaa bbbb -\nc", wrappedAt(10)},
        StructureCase{"plus", "aaaa bbbb + c", "aaaa bbbb +\nc", wrappedAt(10)},
        StructureCase{"hashes", "aaaa bbbb ## c", "aaaa bbbb ##\nc", wrappedAt(10)},
        StructureCase{"quoteMarker", "aaaa bbbb >c", "aaaa bbbb >c", wrappedAt(10)},
        StructureCase{"numerals", "aaaa bbbb 1. c 2) d", "aaaa bbbb 1.\nc 2) d", wrappedAt(10)},
        StructureCase{"backtickFence", "aaaa bbbb ``` c", "aaaa bbbb ```\nc", wrappedAt(10)},
        StructureCase{"tildeFence", "aaaa bbbb ~~~c", "aaaa bbbb ~~~c", wrappedAt(10)},
        StructureCase{"setextEquals", "aaaa bbbb ==", "aaaa bbbb ==", wrappedAt(10)},
        StructureCase{"setextDash", "aaaa bbbb -", "aaaa bbbb -", wrappedAt(10)},
        StructureCase{"rule", "aaaa bbbb * * *", "aaaa bbbb * * *", wrappedAt(10)},
        StructureCase{"html", "aaaa bbbb <div>", "aaaa bbbb <div>", wrappedAt(10)},
        StructureCase{"tableDelimiterRow", "aaaa b|cc -|-", "aaaa\nb|cc -|-", wrappedAt(8)},
        StructureCase{"insideAQuote", "> aaaa bbbb - c", "> aaaa bbbb -\n> c", wrappedAt(12)},
        StructureCase{"textAfterAnElement", "*aaaa bbb* - c", "*aaaa bbb* -\nc", wrappedAt(10)},
        StructureCase{"hardBreakSplitting", "aaaa bb - c", "aaaa bb -  \nc",
                      wrappedAt(10, LineSplittingElement::hardBreak)},
        StructureCase{"emphasisMovesWithItsFirstWord", "aaaa bbbb *cccc*", "aaaa bbbb \n*cccc*",
                      wrappedAt(11)},
        StructureCase{"nestedOpenersMoveTogether", "aaaa bbbb *[cccc](u)*", "aaaa bbbb \n*[cccc](u)*",
                      wrappedAt(11)},
        StructureCase{"wordAfterAnElementStaysWhole", "aaaa *bb*cccc", "aaaa *bb*cccc", wrappedAt(10)},
        StructureCase{"linkGluedToAWordStays", "aaaa bbbb[cc](u)", "aaaa bbbb[cc](u)", wrappedAt(12)},
        StructureCase{"longWordAfterALineBreak", "aa\\\nbbbbbbbbbbbb", "aa  \nbbbbbbbbbbbb", wrappedAt(8)},
        StructureCase{"codeSpanWithHardBreakSplitting", "`aaaa bbbb cccc`", "`aaaa\nbbbb\ncccc`",
                      wrappedAt(10, LineSplittingElement::hardBreak)},
        StructureCase{"codeSpanKeepsItsTabs", "aaaa `b\tc d`", "aaaa \n`b\tc d`", wrappedAt(8)},
        StructureCase{"blanksBeforeABreak", "aaaa   bbbb", "aaaa \nbbbb", wrappedAt(8)},
        StructureCase{"blankRunAtTheLimit", "aaaaa  bbbbbb", "aaaaa \nbbbbbb", wrappedAt(6)},
        StructureCase{"backslashEndingAWord", "aaaa\\\\ bbbb", "aaaa\\ bbbb", wrappedAt(6)},
        StructureCase{"firstLineOpeningWithAFence", "``` a``````", "``` a``````", wrappedAt(6)},
        StructureCase{"firstLineOpeningWithATag", "<br> aaaa", "<br> aaaa", wrappedAt(6)},
        StructureCase{"tableCellsStayOnTheirRow", "| one two three |\n|---|",
                      "|one two three|\n|-------------|", wrappedAt(8)}),
    [](const auto& info) { return info.param.name; });

TEST(MarkupFormatterFaults, AnElementMovedUnderALineLimitNeverEndsTheParagraph) {
    OptionValues values;
    values.preferredLineLimit = PreferredLineLimit(20, LineSplittingElement::softBreak);
    const Document document({Paragraph(
        {Text("first"), LineBreak(), Link("u", std::nullopt, {Text("one two three four five six")})})});
    const std::string printed = formatted(document, values);
    EXPECT_EQ(printed, "first  \n[one two three four\nfive six](u)");
    EXPECT_EQ(Document::parsing(printed).childCount(), 1);
}

TEST(MarkupFormatter, DeepTreesPrintWithoutOverflowingTheStack) {
    constexpr int depth = 20000;
    Markup nested = Text("core");
    for (int level = 0; level < depth; ++level) {
        nested = Emphasis({nested});
    }
    std::string markers;
    for (int level = 0; level < depth; ++level) {
        markers += level % 2 == 0 ? '*' : '_';
    }
    EXPECT_EQ(formatted(Paragraph({nested})),
              markers + "core" + std::string(markers.rbegin(), markers.rend()));
}

} // namespace
} // namespace FormatterTest
