#include <Markdown/Parser/BlockDirectiveParsing.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Markdown {
namespace {

const ParseOptions kDirectives{ParseOptions::parseBlockDirectives};
const ParseOptions kDirectivesAndDoxygen{ParseOptions::parseBlockDirectives,
                                         ParseOptions::parseMinimalDoxygen};

std::string outline(const std::string& text, ParseOptions options) {
    ParseContainerStack stack(LazySplitLines(text).makeIterator(), options);
    return stack.root().debugDescription();
}

struct OutlineCase {
    const char* name;
    const char* text;
    bool doxygen;
    const char* outline;
};

void PrintTo(const OutlineCase& value, std::ostream* out) {
    *out << value.name;
}

class PreParserOutlineTest : public ::testing::TestWithParam<OutlineCase> {};

TEST_P(PreParserOutlineTest, GroupsLinesIntoContainers) {
    EXPECT_EQ(outline(GetParam().text, GetParam().doxygen ? kDirectivesAndDoxygen : kDirectives),
              GetParam().outline);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, PreParserOutlineTest,
    ::testing::Values(
        OutlineCase{
            "braceOnTheNextLineOpensTheBody", "@Name\n{\nbody\n}", false,
            "* Root Document\n    * Block directive 'Name'\n        * Line Run\n            \"body\""},
        OutlineCase{
            "blankLineEndsABareDirective", "@Name\n\ntext", false,
            "* Root Document\n    * Block directive 'Name'\n    * Line Run\n        \"\"\n        \"text\""},
        OutlineCase{"otherLineEndsABareDirective", "@Name\ntext", false,
                    "* Root Document\n    * Block directive 'Name'\n    * Line Run\n        \"text\""},
        OutlineCase{
            "argumentsOverTwoLinesQuotesDoNotCarryOver", "@Dir(a: \"x)\nb) {\n}", false,
            "* Root Document\n    * Block directive 'Dir'\n      Arguments Text:\n        \"a: \\\"x)\"\n"
            "        \"b\""},
        OutlineCase{"emptyLineEndsOpenArguments", "@D(a\n\nb)", false,
                    "* Root Document\n    * Block directive 'D'\n      Arguments Text:\n        \"a\"\n"
                    "    * Line Run\n        \"\"\n        \"b)\""},
        OutlineCase{"oneLineDirectiveKeepsItsContentInPlace", "@Dir { some *text* }", false,
                    "* Root Document\n    * Block directive 'Dir'\n        * Line Run\n"
                    "            \"       some *text*\""},
        OutlineCase{"emptyOneLineBodyHasNoRun", "@D { }", false,
                    "* Root Document\n    * Block directive 'D'"},
        OutlineCase{"braceWithWordsClosesTheInnermostAndDropsThem", "@A {\n@B {\nx\n} lost words\n}\nafter",
                    false,
                    "* Root Document\n    * Block directive 'A'\n        * Block directive 'B'\n"
                    "            * Line Run\n                \"x\"\n    * Line Run\n        \"after\""},
        OutlineCase{"wordsAfterTheNameAreDropped", "@D words here", false,
                    "* Root Document\n    * Block directive 'D'"},
        OutlineCase{"contentThenBraceOnTheNextLine", "@D {\ntext }\nafter", false,
                    "* Root Document\n    * Block directive 'D'\n        * Line Run\n            \"text\"\n"
                    "    * Line Run\n        \"after\""},
        OutlineCase{"strayBraceIsAnOrdinaryLine", "}", false,
                    "* Root Document\n    * Line Run\n        \"}\""},
        OutlineCase{"notOpenings", "@ x\n@(y)\n@N:z\n@M,w", false,
                    "* Root Document\n    * Line Run\n        \"@ x\"\n        \"@(y)\"\n"
                    "    * Block directive 'N'\n    * Block directive 'M'"},
        OutlineCase{"indentedAndFencedLinesAreContent",
                    "@D {\n  text\n      @NotDir {\n  ```\n  @InFence\n  }\n  ```\n}", false,
                    "* Root Document\n    * Block directive 'D'\n        * Line Run\n            \"  text\"\n"
                    "            \"      @NotDir {\"\n            \"  ```\"\n            \"  @InFence\"\n"
                    "            \"  }\"\n            \"  ```\""},
        OutlineCase{"directivesSplitRuns", "a\n- b\n@D\n- c", false,
                    "* Root Document\n    * Line Run\n        \"a\"\n        \"- b\"\n"
                    "    * Block directive 'D'\n    * Line Run\n        \"- c\""},
        OutlineCase{"doxygenCommands", "@param\n@Note  hi\n@D {\n@note x\n}\n\\brief b\nmore\n\nnext", true,
                    "* Root Document\n    * Block directive 'param'\n    * Doxygen command 'note'\n"
                    "        \"hi\"\n    * Block directive 'D'\n        * Block directive 'note'\n"
                    "    * Doxygen command 'abstract'\n        \"b\"\n        \"more\"\n    * Line Run\n"
                    "        \"\"\n        \"next\""},
        OutlineCase{
            "doxygenParameter", "@param value The value.\n  More.", true,
            "* Root Document\n    * Doxygen command 'param' Argument: 'value'\n        \"The value.\"\n"
            "        \"  More.\""},
        OutlineCase{"doxygenNeedsTheOption", "@note x", false,
                    "* Root Document\n    * Block directive 'note'"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PreParserTest, DirectiveLocations) {
    const std::string text = "Intro\n  @Dir(name: value,\n    other: x) {\n    Body\n  }\n";
    ParseContainerStack stack(LazySplitLines(text).makeIterator(), kDirectives);
    const auto& children = stack.root().children();
    ASSERT_EQ(children.size(), 3u);
    const PendingBlockDirective& directive = children[1].directive();
    EXPECT_EQ(directive.name, "Dir");
    EXPECT_EQ(directive.atLocation, (SourceLocation(2, 3)));
    EXPECT_EQ(directive.nameLocation, (SourceLocation(2, 4)));
    EXPECT_EQ(directive.endLocation, (SourceLocation(5, 4)));
    EXPECT_EQ(directive.atIndentationColumnCount, 2);
    EXPECT_EQ(directive.innerIndentationColumnCount, 4); // from the argument line, the first to reach it
    ASSERT_EQ(directive.argumentsText.size(), 2u);
    EXPECT_EQ(directive.argumentsText[0].text, "name: value,");
    EXPECT_EQ(directive.argumentsText[0].range, (SourceRange(SourceLocation(2, 8), SourceLocation(2, 20))));
    EXPECT_EQ(directive.argumentsText[1].text, "    other: x");
    EXPECT_EQ(directive.argumentsText[1].range, (SourceRange(SourceLocation(3, 1), SourceLocation(3, 13))));
    ASSERT_EQ(children[1].children().size(), 1u);
    EXPECT_EQ(children[1].children()[0].lines()[0].untrimmedText(), "    Body");
}

TEST(PreParserTest, BareDirectiveEndsAfterItsName) {
    ParseContainerStack stack(LazySplitLines(std::string_view("@Solo")).makeIterator(), kDirectives);
    const PendingBlockDirective& directive = stack.root().children().at(0).directive();
    EXPECT_EQ(directive.endLocation, (SourceLocation(1, 6)));
    EXPECT_EQ(directive.parseState, PendingBlockDirective::ParseState::contentsStart);
}

// Columns count UTF-8 bytes: a one-line body keeps its byte columns and the directive ends one
// byte past its line.
TEST(PreParserTest, OneLineBodyKeepsItsByteColumns) {
    const std::string text = "@N\xC3\xAF\xC3\xB1 { \xC3\xA9t\xC3\xA9 }";
    ParseContainerStack stack(LazySplitLines(text).makeIterator(), kDirectives);
    const ParseContainer& directive = stack.root().children().at(0);
    EXPECT_EQ(directive.directive().endLocation, (SourceLocation(1, static_cast<int>(text.size()) + 1)));
    ASSERT_EQ(directive.children().size(), 1u);
    const TrimmedLine& pending = directive.children()[0].lines().at(0);
    const std::string_view content = pending.untrimmedText();
    EXPECT_EQ(content.find("\xC3\xA9t\xC3\xA9"), text.find("\xC3\xA9t\xC3\xA9"));
    EXPECT_EQ(directive.directive().innerIndentationColumnCount, static_cast<int>(text.find("\xC3\xA9t")));
}

TEST(PreParserTest, DoxygenCommandEndsOneBytePastItsLastLine) {
    const std::string text = "@note caf\xC3\xA9\n\xC3\xA9l\xC3\xA8ve";
    ParseContainerStack stack(LazySplitLines(text).makeIterator(), kDirectivesAndDoxygen);
    const PendingDoxygenCommand& command = stack.root().children().at(0).command();
    EXPECT_EQ(command.atLocation, (SourceLocation(1, 1)));
    EXPECT_EQ(command.nameLocation, (SourceLocation(1, 2)));
    EXPECT_EQ(command.endLocation, (SourceLocation(2, 8)));
    EXPECT_EQ(command.innerIndentation, 0);
}

TEST(PreParserTest, UnclosedDirectivesCloseAtTheEnd) {
    std::string text;
    for (int i = 0; i < 3; ++i) {
        text += "@D" + std::to_string(i) + "(open {\n";
    }
    text += "@E {\n@F {\nbody";
    const std::string description = outline(text, kDirectives);
    EXPECT_NE(description.find("Block directive 'F'"), std::string::npos);
    EXPECT_NE(description.find("\"body\""), std::string::npos);
}

TEST(PreParserTest, LongArgumentTextGrowsInPlace) {
    std::string text = "@D(";
    for (int i = 0; i < 100000; ++i) {
        text += "name" + std::to_string(i) + ": value,\n";
    }
    text += ") {\nbody\n}";
    ParseContainerStack stack(LazySplitLines(text).makeIterator(), kDirectives);
    const ParseContainer& directive = stack.root().children().at(0);
    EXPECT_EQ(directive.directive().argumentsText.size(), 100000u);
    EXPECT_EQ(directive.children().size(), 1u);
}

TEST(PreParserTest, VeryDeepNestingBuildsAndFreesWithoutRecursion) {
    std::string text;
    for (int i = 0; i < 100000; ++i) {
        text += "@a {\n";
    }
    ParseContainerStack stack(LazySplitLines(text).makeIterator(), kDirectivesAndDoxygen);
    int depth = 0;
    const ParseContainer* container = &stack.root();
    for (; !container->children().empty(); container = &container->children().front()) {
        ++depth;
    }
    // The directives up to the cap, then one run with every deeper opening and the final empty line.
    EXPECT_EQ(depth, static_cast<int>(kMaxBlockDirectiveNesting) + 1);
    ASSERT_EQ(container->kind(), ParseContainer::Kind::lineRun);
    EXPECT_EQ(container->lines().size(), 100000u - kMaxBlockDirectiveNesting + 1);
}

} // namespace
} // namespace Markdown
