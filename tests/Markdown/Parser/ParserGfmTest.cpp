// The parser against the stock cmark-gfm command on every GFM example, and the block-directive path
// against the plain path on the same examples.

#include "DocumentTree.h"
#include "GfmHarness/CmarkCli.h"
#include "GfmHarness/GfmExamples.h"

#include <Markdown/Markdown.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace Markdown::Testing {
namespace {

std::vector<GfmExample> examples() {
    static const std::vector<GfmExample> loaded = loadGfmExamples();
    return loaded;
}

// Examples with a caret may hold inline attributes or row-span markers, which the stock command reads
// differently by design.
bool usesOurSyntax(const GfmExample& example) {
    return example.markdown.find('^') != std::string::npos;
}

std::vector<std::string_view> linesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string_view::npos; start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    lines.push_back(text.substr(start));
    return lines;
}

// Whether a line could open a directive or a Doxygen command, or close a directive's body, or break
// lines where cmark-gfm does not.
bool mayMeanSomethingToThePreParser(const GfmExample& example) {
    for (std::string_view line : linesOf(example.markdown)) {
        const std::size_t first = line.find_first_not_of(" \t");
        if (first != std::string_view::npos &&
            (line[first] == '@' || line[first] == '\\' || line[first] == '}')) {
            return true;
        }
    }
    return example.markdown.find_first_of("\v\f\r") != std::string::npos ||
           example.markdown.find("\xC2\x85") != std::string::npos ||
           example.markdown.find("\xE2\x80\xA8") != std::string::npos ||
           example.markdown.find("\xE2\x80\xA9") != std::string::npos;
}

void shift(ComparableNode& node, int lines, int columns) {
    int startLine, startColumn, endLine, endColumn;
    if (std::sscanf(node.sourcepos.c_str(), "%d:%d-%d:%d", &startLine, &startColumn, &endLine, &endColumn) ==
        4) {
        node.sourcepos = std::to_string(startLine + lines) + ":" + std::to_string(startColumn + columns) +
                         "-" + std::to_string(endLine + lines) + ":" + std::to_string(endColumn + columns);
    }
    for (ComparableNode& child : node.children) {
        shift(child, lines, columns);
    }
}

std::string describeChildren(const ComparableNode& node) {
    std::string text;
    for (const ComparableNode& child : node.children) {
        text += describe(child);
    }
    return text;
}

TEST(ParserGfmTest, TreeEqualsTheCmarkGfmCommandForEveryExample) {
    std::vector<GfmExample> all;
    try {
        all = examples();
    } catch (const std::exception& error) {
        FAIL() << error.what();
    }
    int compared = 0;
    int checkedSpans = 0;
    for (const GfmExample& example : all) {
        if (usesOurSyntax(example)) {
            continue;
        }
        ComparableNode expected = comparableTreeFromCmarkXml(cmarkGfmXml(example.markdown));
        dropUnknownPositions(expected);
        ComparableNode actual = comparableTreeFromDocument(Document::parsing(example.markdown, {}));
        std::vector<WidenedCodeSpan> spans;
        matchCodeSpans(expected, actual, spans);
        EXPECT_EQ(describe(expected), describe(actual)) << "GFM example " << example.number << ":\n"
                                                        << example.markdown;
        ++compared;

        // Where a span's range lies in source coordinates (cmark reports inline positions relative to
        // their block's content, which differs on continuation lines and in containers), it starts and
        // ends on whole backtick runs of the length it was widened by.
        const std::vector<std::string_view> lines = linesOf(example.markdown);
        for (const WidenedCodeSpan& span : spans) {
            const std::string_view startLine = lines.at(static_cast<std::size_t>(span.startLine - 1));
            const std::string_view endLine = lines.at(static_cast<std::size_t>(span.endLine - 1));
            const auto first = static_cast<std::size_t>(span.startColumn - 1);
            const auto last = static_cast<std::size_t>(span.lastColumn - 1);
            if (first >= startLine.size() || last >= endLine.size() || startLine[first] != '`' ||
                endLine[last] != '`') {
                continue;
            }
            auto runFrom = [](std::string_view line, std::size_t at, int step) {
                int length = 0;
                for (auto i = static_cast<std::ptrdiff_t>(at);
                     i >= 0 && i < static_cast<std::ptrdiff_t>(line.size()) &&
                     line[static_cast<std::size_t>(i)] == '`';
                     i += step) {
                    ++length;
                }
                return length;
            };
            EXPECT_EQ(runFrom(startLine, first, 1), span.backtickCount) << "GFM example " << example.number;
            EXPECT_EQ(runFrom(endLine, last, -1), span.backtickCount) << "GFM example " << example.number;
            EXPECT_TRUE(first == 0 || startLine[first - 1] != '`') << "GFM example " << example.number;
            EXPECT_TRUE(last + 1 >= endLine.size() || endLine[last + 1] != '`')
                << "GFM example " << example.number;
            ++checkedSpans;
        }
    }
    EXPECT_GT(compared, 600);
    EXPECT_GT(checkedSpans, 20);
}

TEST(ParserGfmTest, DirectivePathEqualsThePlainPathWithoutDirectiveLines) {
    int compared = 0;
    for (const GfmExample& example : examples()) {
        if (mayMeanSomethingToThePreParser(example)) {
            continue;
        }
        const ComparableNode plain = comparableTreeFromDocument(Document::parsing(example.markdown, {}));
        const ComparableNode directives = comparableTreeFromDocument(Document::parsing(
            example.markdown, {ParseOptions::parseBlockDirectives, ParseOptions::parseMinimalDoxygen}));
        EXPECT_EQ(describeChildren(plain), describeChildren(directives))
            << "GFM example " << example.number << ":\n"
            << example.markdown;
        ++compared;
    }
    EXPECT_GT(compared, 500);
}

// Each line indented by four more columns inside a directive: the body's nodes are the plain nodes one
// line down and four columns to the right.
TEST(ParserGfmTest, WrappingInADirectiveShiftsTheTreeByOneLineAndTheIndent) {
    int compared = 0;
    for (const GfmExample& example : examples()) {
        const std::vector<std::string_view> lines = linesOf(example.markdown);
        const bool firstLineIndented =
            !lines.front().empty() && (lines.front()[0] == ' ' || lines.front()[0] == '\t');
        // A code fence left open runs to the end of the text, over the closing brace.
        const auto fenceLines = std::count_if(lines.begin(), lines.end(), [](std::string_view line) {
            const std::size_t first = line.find_first_not_of(" \t");
            return first != std::string_view::npos &&
                   (line.substr(first).starts_with("```") || line.substr(first).starts_with("~~~"));
        });
        if (mayMeanSomethingToThePreParser(example) || firstLineIndented || lines.front().empty() ||
            example.markdown.find('}') != std::string::npos || fenceLines % 2 != 0) {
            continue;
        }
        std::string wrapped = "@Wrapper {\n";
        for (std::string_view line : lines) {
            wrapped += "    " + std::string(line) + "\n";
        }
        wrapped += "}\n";
        ComparableNode plain = comparableTreeFromDocument(Document::parsing(example.markdown, {}));
        shift(plain, 1, 4);
        const Document document = Document::parsing(wrapped, ParseOptions::parseBlockDirectives);
        ASSERT_EQ(document.childCount(), 1) << "GFM example " << example.number;
        const Markup directive = *document.child(0);
        ASSERT_EQ(directive.kind(), RawKind::blockDirective);
        const ComparableNode body = comparableTreeFromDocument(directive);
        EXPECT_EQ(describeChildren(plain), describeChildren(body))
            << "GFM example " << example.number << ":\n"
            << wrapped;
        ++compared;
    }
    EXPECT_GT(compared, 300);
}

} // namespace
} // namespace Markdown::Testing
