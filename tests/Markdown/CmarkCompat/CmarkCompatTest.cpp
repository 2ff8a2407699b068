// What the layer adds to stock cmark-gfm: backtick counts, attribute spans, cell spans, and the
// guards on its input.

#include "CompatTree.h"
#include "GfmHarness/CmarkCli.h"

#include <Markdown/CmarkCompat/CmarkCompat.h>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <thread>
#include <vector>

namespace Markdown::CmarkCompat {

void PrintTo(const NodePosition& position, std::ostream* out) {
    *out << position.startLine << ":" << position.startColumn << "-" << position.endLine << ":"
         << position.endColumn;
}

namespace {

std::vector<cmark_node*> nodesOfType(const CmarkDocument& document, std::string_view type) {
    std::vector<cmark_node*> found;
    cmark_iter* iter = cmark_iter_new(document.root());
    cmark_event_type event;
    while ((event = cmark_iter_next(iter)) != CMARK_EVENT_DONE) {
        cmark_node* node = cmark_iter_get_node(iter);
        if (event == CMARK_EVENT_ENTER && CmarkDocument::typeString(node) == type) {
            found.push_back(node);
        }
    }
    cmark_iter_free(iter);
    return found;
}

std::vector<int> backtickCounts(const CmarkDocument& document) {
    std::vector<int> counts;
    for (cmark_node* code : nodesOfType(document, "code")) {
        counts.push_back(document.backtickCount(code));
    }
    return counts;
}

std::string literalText(cmark_node* node) {
    std::string text;
    cmark_iter* iter = cmark_iter_new(node);
    cmark_event_type event;
    while ((event = cmark_iter_next(iter)) != CMARK_EVENT_DONE) {
        if (const char* literal = cmark_node_get_literal(cmark_iter_get_node(iter));
            literal && event == CMARK_EVENT_ENTER) {
            text += literal;
        }
    }
    cmark_iter_free(iter);
    return text;
}

// The start-up self-test of the layer: each addition answers on a small input.
TEST(CmarkCompatTest, SelfTestOfEveryAddition) {
    const CmarkDocument document = CmarkDocument::parse(
        "``a`b`` ^[word](rainbow)\n\n| x | y | z |\n|---|---|---|\n| a || b |\n| ^ | c | d |\n");
    EXPECT_EQ(backtickCounts(document), std::vector<int>{2});
    const auto attributes = nodesOfType(document, kAttributeTypeString);
    ASSERT_EQ(attributes.size(), 1u);
    EXPECT_STREQ(document.attributes(attributes[0]), "rainbow");
    EXPECT_STREQ(cmark_node_get_type_string(attributes[0]), "attribute"); // the stock function agrees
    const auto cells = nodesOfType(document, "table_cell");
    ASSERT_EQ(cells.size(), 9u);
    EXPECT_EQ(document.tableCellColspan(cells[3]), 2);
    EXPECT_EQ(document.tableCellColspan(cells[4]), 0);
    EXPECT_EQ(document.tableCellRowspan(cells[3]), 2);
    EXPECT_EQ(document.tableCellRowspan(cells[6]), 0);
}

struct BacktickCase {
    const char* name;
    const char* markdown;
    std::vector<int> counts;
};

void PrintTo(const BacktickCase& value, std::ostream* out) {
    *out << value.name;
}

class BacktickCountTest : public ::testing::TestWithParam<BacktickCase> {};

TEST_P(BacktickCountTest, CountsTheOpeningRunFromTheBlockContent) {
    const CmarkDocument document = CmarkDocument::parse(GetParam().markdown);
    EXPECT_EQ(backtickCounts(document), GetParam().counts);
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, BacktickCountTest,
    ::testing::Values(BacktickCase{"plain", "`a` ``b`` ```c```\n", {1, 2, 3}},
                      BacktickCase{"lazyLineInQuote", "> ``a``\nlazy ```b``` `c`\n", {2, 3, 1}},
                      BacktickCase{"indentedContinuation", "first\n      ``x`` then `y`\n", {2, 1}},
                      BacktickCase{"afterReferenceDefinition", "[r]: /url\n``a`` and `b`\n", {2, 1}},
                      BacktickCase{"afterTwoReferenceDefinitions", "[r]: /u\n[s]: /v\n`a` ```b```\n", {1, 3}},
                      BacktickCase{"indentedAtxHeading", "  ## `h` ``x``  ##\n", {1, 2}},
                      BacktickCase{"atxHeadingWithTab", "#\t``t``\n", {2}},
                      BacktickCase{"setextHeading", "  set ``x``\n  ===\n", {2}},
                      BacktickCase{"tableCells",
                                   "| `a` | ``b`` |\n|---|---|\n|  ```c```  | x `d` ``e``|\n",
                                   {1, 2, 3, 1, 2}},
                      BacktickCase{"tableCellWithEscapedPipe", "| a |\n|---|\n| ``c`` \\| `d` |\n", {2, 1}},
                      BacktickCase{"tableInQuoteWithExtraBlank", "> | a |\n> |---|\n>  |  ``c``  |\n", {2}},
                      BacktickCase{"spanOverTwoLines", "x ``a\nb`` `c`\n", {2, 1}},
                      BacktickCase{"insideLinkAndEmphasis", "[``a``](/u) *`b`*\n", {2, 1}},
                      BacktickCase{"insideAttributeSpan", "^[``a`` b](x) `c`\n", {2, 1}},
                      BacktickCase{"listItemParagraph", "- item\n\n  ```a``` `b`\n", {3, 1}}),
    [](const auto& info) { return std::string(info.param.name); });

// Generated paragraphs (in quotes, with lazy and indented continuation lines, after reference
// definitions), tables (with padding) and headings, holding code spans of known run lengths.
TEST(CmarkCompatTest, BacktickCountsMatchGeneratedSpans) {
    std::mt19937 random(20261210);
    const auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    const auto codeSpan = [&](std::vector<int>& counts) {
        const int ticks = pick(1, 4);
        counts.push_back(ticks);
        std::string content = pick(0, 1) ? " x" : "a";
        if (pick(0, 2) == 0) {
            content += std::string(static_cast<std::size_t>(ticks + 1), '`') + "b";
        }
        content += pick(0, 1) ? "c " : "d";
        const std::string run(static_cast<std::size_t>(ticks), '`');
        return run + content + run;
    };
    for (int round = 0; round < 300; ++round) {
        std::vector<int> expected;
        std::string markdown;
        const int shape = pick(0, 2);
        if (shape == 2) {
            markdown += std::string(static_cast<std::size_t>(pick(0, 3)), ' ') +
                        std::string(static_cast<std::size_t>(pick(1, 6)), '#') + (pick(0, 1) ? " " : "\t");
            for (int span = 0; span < pick(1, 3); ++span) {
                markdown += codeSpan(expected) + " ";
            }
            markdown += pick(0, 1) ? "##\n" : "\n";
            if (pick(0, 1)) {
                markdown += "\n  setext " + codeSpan(expected);
                markdown += "\n" + codeSpan(expected) + "\n===\n";
            }
        } else if (shape == 0) {
            const int columns = pick(1, 4);
            for (int row = 0; row < pick(2, 4); ++row) {
                for (int column = 0; column < columns; ++column) {
                    markdown += "|" + std::string(static_cast<std::size_t>(pick(0, 3)), ' ');
                    if (row != 1) {
                        for (int span = 0; span < pick(0, 2); ++span) {
                            markdown +=
                                codeSpan(expected) + std::string(static_cast<std::size_t>(pick(1, 2)), ' ');
                        }
                        markdown += "w";
                    } else {
                        markdown += "---";
                    }
                    markdown += std::string(static_cast<std::size_t>(pick(0, 3)), ' ');
                }
                markdown += "|\n";
            }
        } else {
            if (pick(0, 2) == 0) {
                markdown += "[ref]: /url\n";
            }
            const bool quoted = pick(0, 1) == 0;
            for (int line = 0; line < pick(1, 4); ++line) {
                markdown +=
                    line == 0 ? (quoted ? "> " : "") : std::string(static_cast<std::size_t>(pick(0, 3)), ' ');
                markdown += "w";
                for (int span = 0; span < pick(0, 3); ++span) {
                    markdown += " " + codeSpan(expected);
                }
                markdown += " v\n";
            }
        }
        EXPECT_EQ(backtickCounts(CmarkDocument::parse(markdown)), expected) << markdown;
    }
}

// Counts are worked out a block at a time when first asked for; the order of the questions must not
// matter, whichever span of a block comes first.
TEST(CmarkCompatTest, BacktickCountsDoNotDependOnTheOrderTheyAreAskedIn) {
    const std::string markdown =
        "# A `b` and ``c``\n\nlazy ```d``` paragraph\ncontinued `e` and ``f ` g``\n\n"
        "| x | `y` |\n|---|---|\n| ``z`` | *`w`* |\n\n> quote ``q`` then `r`\n";
    const std::vector<int> forward = backtickCounts(CmarkDocument::parse(markdown));
    ASSERT_EQ(forward, (std::vector<int>{1, 2, 3, 1, 2, 1, 2, 1, 2, 1}));
    const CmarkDocument document = CmarkDocument::parse(markdown);
    std::vector<cmark_node*> spans = nodesOfType(document, "code");
    std::vector<int> backward(spans.size());
    for (std::size_t i = spans.size(); i-- > 0;) {
        backward[i] = document.backtickCount(spans[i]);
    }
    EXPECT_EQ(backward, forward);
}

TEST(CmarkCompatTest, BacktickCountIsZeroForOtherNodes) {
    const CmarkDocument document = CmarkDocument::parse("text `code`\n");
    for (cmark_node* text : nodesOfType(document, "text")) {
        EXPECT_EQ(document.backtickCount(text), 0);
    }
}

TEST(CmarkCompatTest, AttributeSpanHoldsItsInlinesAndRawAttributesText) {
    const CmarkDocument document =
        CmarkDocument::parse("Say ^[*hi* there](rainbow: \\(x\\), 'extreme') now\n");
    const auto attributes = nodesOfType(document, kAttributeTypeString);
    ASSERT_EQ(attributes.size(), 1u);
    cmark_node* attribute = attributes[0];
    EXPECT_STREQ(document.attributes(attribute), "rainbow: \\(x\\), 'extreme'");
    EXPECT_EQ(document.position(attribute), (NodePosition{1, 5, 1, 44}));
    cmark_node* emphasis = cmark_node_first_child(attribute);
    ASSERT_NE(emphasis, nullptr);
    EXPECT_EQ(CmarkDocument::typeString(emphasis), "emph");
    EXPECT_EQ(document.position(emphasis), (NodePosition{1, 7, 1, 10}));
    cmark_node* text = cmark_node_next(emphasis);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(cmark_node_get_literal(text), " there");
    EXPECT_EQ(document.position(text), (NodePosition{1, 11, 1, 16}));
    EXPECT_EQ(literalText(document.root()), "Say hi there now");
    EXPECT_EQ(document.attributes(text), nullptr);
    EXPECT_EQ(document.attributes(nullptr), nullptr);
}

TEST(CmarkCompatTest, AttributeSpanNeedsTheParenthesisRightAfterTheBracket) {
    for (const char* markdown : {"^[word] (x)\n", "^[word]\n", "^[word](x\n", "^ [word](x)\n"}) {
        const CmarkDocument document = CmarkDocument::parse(markdown);
        EXPECT_TRUE(nodesOfType(document, kAttributeTypeString).empty()) << markdown;
    }
    const CmarkDocument literal = CmarkDocument::parse("^[word] (x)\n");
    EXPECT_EQ(literalText(literal.root()), "^[word] (x)");
}

TEST(CmarkCompatTest, AttributeSpansNestAndSurviveInTableCells) {
    const CmarkDocument nested = CmarkDocument::parse("^[a ^[b](inner) c](outer)\n");
    const auto attributes = nodesOfType(nested, kAttributeTypeString);
    ASSERT_EQ(attributes.size(), 2u);
    EXPECT_STREQ(nested.attributes(attributes[0]), "outer");
    EXPECT_STREQ(nested.attributes(attributes[1]), "inner");
    EXPECT_EQ(cmark_node_parent(attributes[1]), attributes[0]);
    EXPECT_EQ(nested.position(attributes[1]), (NodePosition{1, 5, 1, 15}));

    const CmarkDocument table = CmarkDocument::parse("| h |\n|---|\n| ^[x](y) ~~s~~ |\n");
    const auto inCell = nodesOfType(table, kAttributeTypeString);
    ASSERT_EQ(inCell.size(), 1u);
    EXPECT_EQ(CmarkDocument::typeString(cmark_node_parent(inCell[0])), "table_cell");
    EXPECT_EQ(nodesOfType(table, "strikethrough").size(), 1u); // the extension's characters still work
}

std::vector<NodePosition> codeSpanPositions(const CmarkDocument& document) {
    std::vector<NodePosition> positions;
    for (cmark_node* code : nodesOfType(document, "code")) {
        bool insideAttribute = false;
        for (cmark_node* up = cmark_node_parent(code); up; up = cmark_node_parent(up)) {
            insideAttribute = insideAttribute || document.attributes(up) != nullptr;
        }
        if (!insideAttribute) {
            positions.push_back(document.position(code));
        }
    }
    return positions;
}

// `text` with every byte of its attribute spans but line breaks replaced by "x".
std::string maskAttributeSpans(const std::string& text, const CmarkDocument& document) {
    std::string masked = text;
    for (cmark_node* attribute : nodesOfType(document, kAttributeTypeString)) {
        if (cmark_node_get_type(cmark_node_parent(attribute)) != CMARK_NODE_PARAGRAPH) {
            continue; // nested spans are masked with their outer span
        }
        const NodePosition position = document.position(attribute);
        std::size_t offset = 0;
        for (int line = 1; line < position.startLine; ++line) {
            offset = masked.find('\n', offset) + 1;
        }
        const std::size_t start = masked.find("^[", offset);
        std::size_t end = start;
        for (int line = position.startLine; line < position.endLine; ++line) {
            end = masked.find('\n', end) + 1;
        }
        end = masked.find(')', end); // the span's last line ends it with its closing parenthesis
        for (std::size_t i = start; i <= end; ++i) {
            if (masked[i] != '\n') {
                masked[i] = 'x';
            }
        }
    }
    return masked;
}

// The stock inline parser is not told about the line breaks inside a span, so the layer moves the
// positions of what follows: they must be what the stock parser gives once the span is plain text.
TEST(CmarkCompatTest, MultiLineAttributeSpansLeaveLaterPositionsRight) {
    for (const std::string markdown :
         {"a ^[b\nc *d*](x\ny) e `f`\ng `h`\n", "> q ^[b\nlazy](x) `e` ^[m\nn](o) `p`\n> r `s`\n",
          "  ^[one\n   two](a\nb) ``x`` ^[three](c) `y`\n  `z`\n", "t ^[u ^[v\nw](i) `k`\nz](o) `q`\n",
          "a ^[plain words](x\ny) e `f`\n", "| a |\n|---|\n| ^[x](y) `b` |\n"}) {
        const CmarkDocument document = CmarkDocument::parse(markdown);
        ASSERT_FALSE(nodesOfType(document, kAttributeTypeString).empty()) << markdown;
        const std::string masked = maskAttributeSpans(markdown, document);
        const Testing::ComparableNode expected =
            Testing::comparableTreeFromCmarkXml(Testing::cmarkGfmXml(masked));
        std::vector<std::string> expectedCode;
        std::vector<const Testing::ComparableNode*> pending = {&expected};
        while (!pending.empty()) {
            const Testing::ComparableNode* node = pending.back();
            pending.pop_back();
            if (node->kind == "code") {
                expectedCode.push_back(node->sourcepos);
            }
            for (auto child = node->children.rbegin(); child != node->children.rend(); ++child) {
                pending.push_back(&*child);
            }
        }
        std::vector<std::string> actualCode;
        for (const NodePosition& position : codeSpanPositions(document)) {
            actualCode.push_back(std::to_string(position.startLine) + ":" +
                                 std::to_string(position.startColumn) + "-" +
                                 std::to_string(position.endLine) + ":" + std::to_string(position.endColumn));
        }
        EXPECT_EQ(actualCode, expectedCode) << markdown << "masked:\n" << masked;
        EXPECT_EQ(Testing::describe(Testing::comparableTreeFromCompat(document)).find("@0"),
                  std::string::npos);
    }
}

TEST(CmarkCompatTest, MultiLineAttributeSpanRunsToItsClosingParenthesis) {
    const CmarkDocument document = CmarkDocument::parse("a ^[b\nc](x\ny) d\n");
    const auto attributes = nodesOfType(document, kAttributeTypeString);
    ASSERT_EQ(attributes.size(), 1u);
    EXPECT_STREQ(document.attributes(attributes[0]), "x\ny");
    EXPECT_EQ(document.position(attributes[0]), (NodePosition{1, 3, 3, 2}));
    const auto texts = nodesOfType(document, "text");
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(document.position(texts[2]), (NodePosition{2, 1, 2, 1})); // "c"
    EXPECT_EQ(document.position(texts[3]), (NodePosition{3, 3, 3, 4})); // " d"
}

TEST(CmarkCompatTest, AttributeSpanTakesTheAttributesOfAReferenceDefinition) {
    const CmarkDocument document =
        CmarkDocument::parse("Use ^[*this*][Look] here.\n\n^[look]: rainbow: 'extreme'\n");
    const auto attributes = nodesOfType(document, kAttributeTypeString);
    ASSERT_EQ(attributes.size(), 1u);
    EXPECT_STREQ(document.attributes(attributes[0]), "rainbow: 'extreme'");
    EXPECT_EQ(document.position(attributes[0]), (NodePosition{1, 5, 1, 19}));
    EXPECT_EQ(CmarkDocument::typeString(cmark_node_first_child(attributes[0])), "emph");
    // The definition's paragraph, left empty, is gone.
    EXPECT_EQ(nodesOfType(document, "paragraph").size(), 1u);
    EXPECT_EQ(literalText(document.root()), "Use this here.");
}

TEST(CmarkCompatTest, DefinitionsAtAParagraphStartAreRemovedAndTheRestStays) {
    const CmarkDocument document =
        CmarkDocument::parse("^[a]: first\n^[B]:\n  second value\nrest ^[t][b] `c`\n");
    const auto paragraphs = nodesOfType(document, "paragraph");
    ASSERT_EQ(paragraphs.size(), 1u);
    cmark_node* rest = cmark_node_first_child(paragraphs[0]);
    ASSERT_NE(rest, nullptr);
    EXPECT_STREQ(cmark_node_get_literal(rest), "rest ");
    EXPECT_EQ(document.position(rest), (NodePosition{4, 1, 4, 5}));
    const auto attributes = nodesOfType(document, kAttributeTypeString);
    ASSERT_EQ(attributes.size(), 1u);
    EXPECT_STREQ(document.attributes(attributes[0]), "second value");
    EXPECT_EQ(document.position(attributes[0]), (NodePosition{4, 6, 4, 12}));
    const auto code = nodesOfType(document, "code");
    ASSERT_EQ(code.size(), 1u);
    EXPECT_EQ(document.position(code[0]), (NodePosition{4, 15, 4, 15}));
    EXPECT_EQ(document.backtickCount(code[0]), 1);
}

TEST(CmarkCompatTest, LabelsWithoutADefinitionStayText) {
    for (const char* markdown :
         {"^[t][nope]\n\n^[a]: x\n", "text\n^[a]: x\n\n^[t][a]\n", "^[t][a]\n\n^[a]:\n\nx\n"}) {
        const CmarkDocument document = CmarkDocument::parse(markdown);
        EXPECT_TRUE(nodesOfType(document, kAttributeTypeString).empty()) << markdown;
        EXPECT_NE(literalText(document.root()).find("^[t]"), std::string::npos) << markdown;
    }
}

TEST(CmarkCompatTest, CodeSpansAndEscapesHideBracketsFromAttributeSpans) {
    const CmarkDocument document = CmarkDocument::parse("^[a `]` \\] b](x) \\``^[c](d)` ^[e](f \\) g)\n");
    const auto attributes = nodesOfType(document, kAttributeTypeString);
    ASSERT_EQ(attributes.size(), 2u);
    EXPECT_STREQ(document.attributes(attributes[0]), "x");
    EXPECT_EQ(literalText(attributes[0]), "a ] ] b");
    EXPECT_STREQ(document.attributes(attributes[1]), "f \\) g");
    const auto code = nodesOfType(document, "code");
    ASSERT_EQ(code.size(), 2u);
    EXPECT_STREQ(cmark_node_get_literal(code[1]), "^[c](d)");
}

TEST(CmarkCompatTest, AttributeParenthesesNestUpToTheLimit) {
    const std::string deepEnough = "^[x](" + std::string(31, '(') + std::string(31, ')') + ")\n";
    EXPECT_EQ(nodesOfType(CmarkDocument::parse(deepEnough), kAttributeTypeString).size(), 1u);
    const std::string tooDeep = "^[x](" + std::string(32, '(') + std::string(32, ')') + ")\n";
    EXPECT_TRUE(nodesOfType(CmarkDocument::parse(tooDeep), kAttributeTypeString).empty());
}

struct SpanCase {
    const char* name;
    const char* markdown;
    std::vector<std::pair<int, int>> spans; // (colspan, rowspan) of every cell in order
    std::vector<std::string> texts;         // every cell's text in order
};

void PrintTo(const SpanCase& value, std::ostream* out) {
    *out << value.name;
}

class CellSpanTest : public ::testing::TestWithParam<SpanCase> {};

TEST_P(CellSpanTest, SpansComeFromTheStockTable) {
    const CmarkDocument document = CmarkDocument::parse(GetParam().markdown);
    std::vector<std::pair<int, int>> spans;
    std::vector<std::string> texts;
    for (cmark_node* cell : nodesOfType(document, "table_cell")) {
        spans.emplace_back(document.tableCellColspan(cell), document.tableCellRowspan(cell));
        texts.push_back(literalText(cell));
    }
    EXPECT_EQ(spans, GetParam().spans);
    EXPECT_EQ(texts, GetParam().texts);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, CellSpanTest,
    ::testing::Values(SpanCase{"emptyCellWidensItsLeftNeighbour",
                               "| x | y | z |\n|---|---|---|\n| a || b |\n| a | | b |\n",
                               {{1, 1}, {1, 1}, {1, 1}, {2, 1}, {0, 1}, {1, 1}, {1, 1}, {1, 1}, {1, 1}},
                               {"x", "y", "z", "a", "", "b", "a", "", "b"}},
                      SpanCase{"caretExtendsTheCellAbove",
                               "| x | y |\n|---|---|\n| a | b |\n| ^ | c |\n| ^ | d |\n",
                               {{1, 1}, {1, 1}, {1, 3}, {1, 1}, {1, 0}, {1, 1}, {1, 0}, {1, 1}},
                               {"x", "y", "a", "b", "", "c", "", "d"}},
                      SpanCase{"caretInHeaderStaysAnOrdinaryCell",
                               "| ^ | y |\n|---|---|\n| a | b |\n",
                               {{1, 1}, {1, 1}, {1, 1}, {1, 1}},
                               {"^", "y", "a", "b"}},
                      SpanCase{"leadingEmptyCellHasNothingToWiden",
                               "| x | y |\n|---|---|\n|| b |\n",
                               {{1, 1}, {1, 1}, {1, 1}, {1, 1}},
                               {"x", "y", "", "b"}},
                      SpanCase{"caretUnderFillerCellStaysText",
                               "| x | y |\n|---|---|\n| a |\n| b | ^ |\n",
                               {{1, 1}, {1, 1}, {1, 1}, {1, 1}, {1, 1}, {1, 1}},
                               {"x", "y", "a", "", "b", "^"}},
                      SpanCase{"caretUnderHeaderExtendsTheHeaderCell",
                               "| x | y |\n|---|---|\n| ^ | b |\n",
                               {{1, 2}, {1, 1}, {1, 0}, {1, 1}},
                               {"x", "y", "", "b"}},
                      SpanCase{"surplusCellsAreDroppedAndShortRowsFilled",
                               "| x | y |\n|---|---|\n| a | b | c |\n| d |\n",
                               {{1, 1}, {1, 1}, {1, 1}, {1, 1}, {1, 1}, {1, 1}},
                               {"x", "y", "a", "b", "d", ""}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CmarkCompatTest, SpanAccessorsAnswerMinusOneForOtherNodes) {
    const CmarkDocument document = CmarkDocument::parse("text\n");
    EXPECT_EQ(document.tableCellColspan(document.root()), -1);
    EXPECT_EQ(document.tableCellRowspan(nullptr), -1);
}

TEST(CmarkCompatTest, SpansAreOneWhenNotRequested) {
    ParseSettings settings;
    settings.tableCellSpans = false;
    const CmarkDocument document =
        CmarkDocument::parse("| x | y |\n|---|---|\n| a || \n| ^ | b |\n", settings);
    for (cmark_node* cell : nodesOfType(document, "table_cell")) {
        EXPECT_EQ(document.tableCellColspan(cell), 1);
        EXPECT_EQ(document.tableCellRowspan(cell), 1);
    }
}

TEST(CmarkCompatTest, InvalidUtf8IsReplacedBeforeParsing) {
    const std::string input = "a\xFF"
                              "b \xE2\x82 c \xED\xA0\x80 d \xF0\x9F\x98\x80\n";
    const CmarkDocument document = CmarkDocument::parse(input);
    EXPECT_EQ(document.guardReport().invalidUtf8Sequences, 5);
    EXPECT_EQ(literalText(document.root()), "a\xEF\xBF\xBD"
                                            "b \xEF\xBF\xBD c \xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD d "
                                            "\xF0\x9F\x98\x80");
}

TEST(CmarkCompatTest, ReplacementIsAvailableToOtherReadersOfTheText) {
    int replacements = 0;
    EXPECT_EQ(withInvalidUtf8Replaced("x\xC0\xAFy\xF4\x90\x80\x80", &replacements),
              "x\xEF\xBF\xBD\xEF\xBF\xBDy\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(replacements, 6); // overlong and beyond U+10FFFF: every byte is its own maximal subpart
    EXPECT_EQ(withInvalidUtf8Replaced("truncated \xE2\x82"), "truncated \xEF\xBF\xBD");
}

TEST(CmarkCompatTest, ValidUtf8IsLeftAlone) {
    const std::string input = "z\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\n";
    const CmarkDocument document = CmarkDocument::parse(input);
    EXPECT_EQ(document.guardReport().invalidUtf8Sequences, 0);
    EXPECT_EQ(literalText(document.root()) + "\n", input);
}

TEST(CmarkCompatTest, SettingsReachTheParser) {
    const CmarkDocument smart = CmarkDocument::parse("\"a\" -- b\n");
    EXPECT_EQ(literalText(smart.root()), "\xE2\x80\x9C"
                                         "a\xE2\x80\x9D \xE2\x80\x93 b");
    ParseSettings plain;
    plain.smartPunctuation = false;
    plain.sourcePositions = false;
    const CmarkDocument document = CmarkDocument::parse("\"a\" -- b ``c`` ^[d](e)\n", plain);
    EXPECT_EQ(literalText(document.root()), "\"a\" -- b c d");
    EXPECT_EQ(document.position(cmark_node_first_child(document.root())), NodePosition{});
    EXPECT_EQ(backtickCounts(document), std::vector<int>{2}); // still known without positions
    EXPECT_EQ(document.position(nodesOfType(document, kAttributeTypeString).at(0)), NodePosition{});
}

TEST(CmarkCompatTest, ParsesFromManyThreadsAtOnce) {
    const std::string markdown = "# T\n\n| a | b |\n|---|---|\n| ^[x](y) | ~~z~~ `q` |\n";
    const std::string expected =
        Testing::describe(Testing::comparableTreeFromCompat(CmarkDocument::parse(markdown)));
    std::vector<std::thread> threads;
    std::vector<std::string> results(6);
    for (std::size_t t = 0; t < results.size(); ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 30; ++i) {
                results[t] =
                    Testing::describe(Testing::comparableTreeFromCompat(CmarkDocument::parse(markdown)));
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (const std::string& result : results) {
        EXPECT_EQ(result, expected);
    }
}

} // namespace
} // namespace Markdown::CmarkCompat
