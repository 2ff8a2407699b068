// The layer's cmark tree against the stock cmark-gfm command for every GFM example: the layer's
// additions must change nothing for ordinary input.

#include "CompatTree.h"
#include "GfmHarness/CmarkCli.h"
#include "GfmHarness/GfmExamples.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <string_view>

namespace Markdown::Testing {
namespace {

using CmarkCompat::CmarkDocument;

std::string_view sourceLine(std::string_view text, int line) {
    std::size_t start = 0;
    for (int i = 1; i < line; ++i) {
        start = text.find('\n', start);
        if (start == std::string_view::npos) {
            return {};
        }
        ++start;
    }
    const std::size_t end = text.find('\n', start);
    return text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

// Examples with a caret may hold attribute spans or row-span markers, which the stock parser reads
// differently by design.
bool usesLayerSyntax(const GfmExample& example) {
    return example.markdown.find('^') != std::string::npos;
}

TEST(CmarkCompatGfmTest, TreeEqualsTheCmarkGfmCommandForEveryExample) {
    std::vector<GfmExample> examples;
    try {
        examples = loadGfmExamples();
    } catch (const std::exception& error) {
        FAIL() << error.what();
    }
    int compared = 0;
    for (const GfmExample& example : examples) {
        if (usesLayerSyntax(example)) {
            continue;
        }
        const ComparableNode expected = comparableTreeFromCmarkXml(cmarkGfmXml(example.markdown));
        const ComparableNode actual = comparableTreeFromCompat(CmarkDocument::parse(example.markdown));
        EXPECT_EQ(describe(expected), describe(actual)) << "GFM example " << example.number << ":\n"
                                                        << example.markdown;
        ++compared;
    }
    EXPECT_GT(compared, 600);
}

// Where cmark's reported position is the source position, the recorded count must be the length of
// the backtick runs in the source on both sides of the span.
TEST(CmarkCompatGfmTest, CodeSpansSitBetweenEqualBacktickRunsOfTheRecordedLength) {
    std::vector<GfmExample> examples;
    try {
        examples = loadGfmExamples();
    } catch (const std::exception& error) {
        FAIL() << error.what();
    }
    int checked = 0;
    for (const GfmExample& example : examples) {
        const CmarkDocument document = CmarkDocument::parse(example.markdown);
        cmark_iter* iter = cmark_iter_new(document.root());
        cmark_event_type event;
        while ((event = cmark_iter_next(iter)) != CMARK_EVENT_DONE) {
            cmark_node* node = cmark_iter_get_node(iter);
            if (cmark_node_get_type(node) != CMARK_NODE_CODE) {
                EXPECT_EQ(document.backtickCount(node), 0);
                continue;
            }
            const int count = document.backtickCount(node);
            ASSERT_GE(count, 1) << "GFM example " << example.number;
            const CmarkCompat::NodePosition position = document.position(node);
            const std::string_view line = sourceLine(example.markdown, position.startLine);
            const int openingEnd = position.startColumn - 1; // 0-based index just past the run
            const bool inTableCell = CmarkDocument::typeString(cmark_node_parent(node)) == "table_cell";
            if (inTableCell || position.endLine != position.startLine || openingEnd < 1 ||
                openingEnd > static_cast<int>(line.size()) || line[openingEnd - 1] != '`') {
                continue; // position not in source coordinates (containers, continuation lines, cells)
            }
            const int closingStart = position.endColumn; // 0-based index of the closing run
            std::string run(static_cast<std::size_t>(count), '`');
            std::ostringstream where;
            where << "GFM example " << example.number << ", line " << position.startLine << ": " << line;
            EXPECT_EQ(line.substr(openingEnd - count, count), run) << where.str();
            EXPECT_TRUE(openingEnd - count == 0 || line[openingEnd - count - 1] != '`') << where.str();
            EXPECT_EQ(line.substr(closingStart, count), run) << where.str();
            EXPECT_TRUE(closingStart + count >= static_cast<int>(line.size()) ||
                        line[closingStart + count] != '`')
                << where.str();
            ++checked;
        }
        cmark_iter_free(iter);
    }
    EXPECT_GT(checked, 20);
}

} // namespace
} // namespace Markdown::Testing
