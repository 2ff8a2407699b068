// The block-directive path: container conversion, placement of re-parsed ranges and the argument text
// of parsed directives.

#include <Markdown/Markdown.h>
#include <Markdown/Parser/CmarkConversion.h>
#include <Markdown/Parser/RangeAdjustment.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Markdown {
namespace {

const ParseOptions kDirectives{ParseOptions::parseBlockDirectives};
const ParseOptions kDoxygen{ParseOptions::parseBlockDirectives, ParseOptions::parseMinimalDoxygen};

SourceRange range(int startLine, int startColumn, int endLine, int endColumn) {
    return SourceRange(SourceLocation(startLine, startColumn), SourceLocation(endLine, endColumn));
}

Markup at(const Markup& root, std::initializer_list<std::int64_t> path) {
    const std::optional<Markup> found = root.child(path);
    if (!found) {
        throw std::out_of_range("no element at that path");
    }
    return *found;
}

TEST(DirectivePathTest, DirectiveBodyKeepsItsDocumentColumns) {
    const std::string text = "Intro\n\n@Note(kind: \"tip\") {\n    Body *text*\n\n    - item\n}\nOutro\n";
    const Document document = Document::parsing(text, kDirectives);
    ASSERT_EQ(document.childCount(), 3);
    EXPECT_EQ(at(document, {0}).range(), range(1, 1, 1, 6));
    const BlockDirective directive = *at(document, {1}).as<BlockDirective>();
    EXPECT_EQ(directive.name(), "Note");
    EXPECT_EQ(directive.range(), range(3, 1, 7, 2));
    EXPECT_EQ(directive.nameLocation(), SourceLocation(3, 2));
    ASSERT_EQ(directive.childCount(), 2);
    EXPECT_EQ(at(directive, {0}).range(), range(4, 5, 4, 16));
    EXPECT_EQ(at(directive, {0, 1}).range(), range(4, 10, 4, 16)); // *text*
    EXPECT_EQ(at(directive, {1, 0}).range(), range(6, 5, 6, 11));
    EXPECT_EQ(at(document, {2}).range(), range(8, 1, 8, 6));
    EXPECT_EQ(document.range(), range(1, 1, 8, 6));
}

TEST(DirectivePathTest, ArgumentTextKeepsItsLinesAndParsesIntoArguments) {
    const std::string text = "  @Image(source: pic.png,\n    alt: \"A \\\"b\\\"\")\n";
    const Document document = Document::parsing(text, kDirectives);
    const BlockDirective directive = *at(document, {0}).as<BlockDirective>();
    const auto& segments = directive.argumentText().segments;
    ASSERT_EQ(segments.size(), 2u);
    EXPECT_EQ(segments[0].untrimmedText(), "  @Image(source: pic.png,");
    EXPECT_EQ(segments[0].trimmedText(), "source: pic.png,");
    EXPECT_EQ(segments[0].range(), range(1, 10, 1, 26));
    EXPECT_EQ(segments[1].untrimmedText(), "    alt: \"A \\\"b\\\"\"");
    EXPECT_EQ(segments[1].parseIndex(), 0u);
    EXPECT_EQ(directive.range(), range(1, 3, 2, 20));

    std::vector<DirectiveArgumentText::ParseError> errors;
    const std::vector<DirectiveArgument> arguments = directive.argumentText().parseNameValueArguments(errors);
    EXPECT_TRUE(errors.empty());
    ASSERT_EQ(arguments.size(), 2u);
    EXPECT_EQ(arguments[0],
              (DirectiveArgument{"source", range(1, 10, 1, 16), "pic.png", range(1, 18, 1, 25), true}));
    EXPECT_EQ(arguments[1],
              (DirectiveArgument{"alt", range(2, 5, 2, 8), "A \\\"b\\\"", range(2, 11, 2, 18), false}));
}

TEST(DirectivePathTest, DirectiveWithoutBodyEndsAfterItsNameAndSplitsRuns) {
    const Document document = Document::parsing("- one\n@Break\n- two\n", kDirectives);
    ASSERT_EQ(document.childCount(), 3);
    EXPECT_TRUE(at(document, {0}).is<UnorderedList>());
    EXPECT_EQ(at(document, {1}).range(), range(2, 1, 2, 7));
    EXPECT_EQ(at(document, {1}).childCount(), 0);
    EXPECT_TRUE(at(document, {2}).is<UnorderedList>());
    EXPECT_EQ(at(document, {2}).range(), range(3, 1, 3, 6));
}

TEST(DirectivePathTest, LessIndentedBodyLinesKeepWhatTheyHave) {
    const Document document = Document::parsing("@D {\n    first\n  second\n}\n", kDirectives);
    const Markup paragraph = at(document, {0, 0});
    EXPECT_EQ(paragraph.range(), range(2, 5, 3, 9));
    EXPECT_EQ(at(paragraph, {2}).range(), range(3, 3, 3, 9));
}

// A tab counts to the next multiple of four columns: the body's indentation is cut by columns, so a
// doubly tab-indented line stays an indented code block.
TEST(DirectivePathTest, TabIndentedBodyIsCutByColumns) {
    const Document document = Document::parsing("@D {\n\ttext\n\n\t\tcode\n}\n", kDirectives);
    const Markup directive = at(document, {0});
    ASSERT_EQ(directive.childCount(), 2);
    EXPECT_EQ(at(directive, {0}).range(), range(2, 2, 2, 6));
    const std::optional<CodeBlock> code = at(directive, {1}).as<CodeBlock>();
    ASSERT_TRUE(code);
    EXPECT_EQ(code->code(), "code\n");
}

TEST(DirectivePathTest, NestedDirectivesAndOneLineBodies) {
    const Document document =
        Document::parsing("@Outer {\n  @Inner { caf\xC3\xA9 *x* }\n  after\n}\n", kDirectives);
    const Markup outer = at(document, {0});
    ASSERT_EQ(outer.childCount(), 2);
    const Markup inner = at(outer, {0});
    EXPECT_EQ(inner.as<BlockDirective>()->name(), "Inner");
    EXPECT_EQ(inner.range(), range(2, 3, 2, 23));
    EXPECT_EQ(at(inner, {0}).range(), range(2, 12, 2, 21));
    EXPECT_EQ(at(outer, {1}).range(), range(3, 3, 3, 8));
    EXPECT_EQ(outer.range(), range(1, 1, 4, 2));
}

TEST(DirectivePathTest, DoxygenCommandsHoldTheirParsedText) {
    const std::string text =
        "Summary.\n\n@param caf\xC3\xA9 The value,\n  continued.\n@returns Nothing.\n\n\\note A note.\n";
    const Document document = Document::parsing(text, kDoxygen);
    ASSERT_EQ(document.childCount(), 4);
    const std::optional<DoxygenParameter> parameter = at(document, {1}).as<DoxygenParameter>();
    ASSERT_TRUE(parameter);
    EXPECT_EQ(parameter->name(), "caf\xC3\xA9");
    EXPECT_EQ(parameter->range(), range(3, 1, 4, 13));
    // The rest of the command line starts after the name's bytes.
    EXPECT_EQ(at(*parameter, {0}).range(), range(3, 14, 4, 13));
    EXPECT_EQ(at(*parameter, {0, 2}).range(), range(4, 3, 4, 13));
    EXPECT_TRUE(at(document, {2}).is<DoxygenReturns>());
    EXPECT_EQ(at(document, {2, 0}).range(), range(5, 10, 5, 18));
    EXPECT_TRUE(at(document, {3}).is<DoxygenNote>());

    // Without the Doxygen option the same lines are directives or text.
    const Document plain = Document::parsing(text, kDirectives);
    EXPECT_TRUE(at(plain, {1}).is<BlockDirective>());
}

TEST(DirectivePathTest, DocumentRangeStartsAtTheFirstColumnAndCoversEverything) {
    const Document document = Document::parsing("\n\n   text\n\n@D {\n  x\n}   ", kDirectives);
    EXPECT_EQ(document.range(), range(1, 1, 7, 2));
}

TEST(DirectivePathTest, SourceIsCarriedIntoEveryLocation) {
    const URL source("file:///notes/a.md");
    const Document document = Document::parsing("@D(x: 1) {\n  *y*\n}\n", source, kDirectives);
    const BlockDirective directive = *at(document, {0}).as<BlockDirective>();
    EXPECT_EQ(directive.range()->start().source(), source);
    EXPECT_EQ(directive.nameLocation()->source(), source);
    EXPECT_EQ(directive.argumentText().segments[0].range()->start().source(), source);
    EXPECT_EQ(at(directive, {0, 0}).range()->end().source(), source);
}

// Placement of a fragment's ranges, on real cmark-gfm trees of the fragment "ab\ncdef\n\n\n": a
// paragraph over both lines with the texts "ab" and "cdef".
TEST(FragmentPlacementTest, RangesArePlacedLineByLineAsTheyAreMade) {
    struct Case {
        const char* name;
        std::int64_t startLine;
        std::vector<std::int64_t> cuts;
        ParseOptions options;
        SourceRange coveredBefore;
        std::optional<SourceRange> paragraph;
        std::optional<SourceRange> secondText;
        SourceRange coveredAfter;
    };
    const Case cases[] = {
        {"identity",
         1,
         {0, 0},
         {},
         range(1, 1, 1, 1),
         range(1, 1, 2, 5),
         range(2, 1, 2, 5),
         range(1, 1, 2, 5)},
        {"each bound takes the cut of its own line",
         10,
         {2, 4},
         {},
         range(1, 1, 1, 1),
         range(10, 3, 11, 9),
         range(11, 5, 11, 9),
         range(1, 1, 11, 9)},
        // cmark-gfm never reports a line outside the run; should it, the bound moves without a cut.
        {"lines outside the cuts move without one",
         4,
         {2},
         {},
         range(1, 1, 1, 1),
         range(4, 3, 5, 5),
         range(5, 1, 5, 5),
         range(1, 1, 5, 5)},
        {"no ranges leave the cover alone",
         5,
         {7, 7},
         ParseOptions{ParseOptions::disableSourcePosOpts},
         range(2, 3, 4, 5),
         std::nullopt,
         std::nullopt,
         range(2, 3, 4, 5)},
        {"the cover only grows",
         3,
         {0, 0},
         {},
         range(1, 1, 9, 9),
         range(3, 1, 4, 5),
         range(4, 1, 4, 5),
         range(1, 1, 9, 9)},
    };
    for (const Case& c : cases) {
        RangeTracker covered{c.coveredBefore};
        const FragmentPlacement placement{c.startLine, c.cuts, covered};
        const RawMarkupRef document = parseIntoRawTree("ab\ncdef\n\n\n", std::nullopt, c.options, &placement);
        ASSERT_EQ(document->childCount(), 1) << c.name;
        const RawMarkup& paragraph = *document->child(0);
        EXPECT_EQ(paragraph.parsedRange(), c.paragraph) << c.name;
        EXPECT_EQ(paragraph.child(paragraph.childCount() - 1)->parsedRange(), c.secondText) << c.name;
        // The fragment document's own range (which runs over the blank lines) is not part of the cover.
        EXPECT_EQ(covered.totalRange, c.coveredAfter) << c.name;
    }
}

TEST(FragmentPlacementTest, WideningKeepsItsStartAndTakesTheOtherEndOnTies) {
    const URL a("file:///a.md");
    const URL b("file:///b.md");
    SourceRange mine(SourceLocation(1, 1, a), SourceLocation(2, 2, a));
    widen(mine, SourceRange(SourceLocation(1, 1, b), SourceLocation(2, 2, b)));
    EXPECT_EQ(mine.start().source(), a);
    EXPECT_EQ(mine.end().source(), b);
    widen(mine, range(1, 5, 3, 1));
    EXPECT_EQ(mine.start(), SourceLocation(1, 1, a));
    EXPECT_EQ(mine.end(), SourceLocation(3, 1));
}

} // namespace
} // namespace Markdown
