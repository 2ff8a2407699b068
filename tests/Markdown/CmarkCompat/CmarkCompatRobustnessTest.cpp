// Hostile inputs: each must parse, bounded in depth, without the stock library's slow paths.

#include <Markdown/CmarkCompat/CmarkCompat.h>

#include <gtest/gtest.h>

#include <string>

namespace Markdown::CmarkCompat {
namespace {

struct Shape {
    int maxDepth = 0;
    long nodes = 0;
};

Shape shapeOf(const CmarkDocument& document) {
    Shape shape;
    int depth = 0;
    cmark_iter* iter = cmark_iter_new(document.root());
    cmark_event_type event;
    while ((event = cmark_iter_next(iter)) != CMARK_EVENT_DONE) {
        cmark_node* node = cmark_iter_get_node(iter);
        if (event == CMARK_EVENT_EXIT) {
            --depth;
            continue;
        }
        ++shape.nodes;
        shape.maxDepth = std::max(shape.maxDepth, depth);
        const bool leaf = cmark_node_get_literal(node) || cmark_node_get_type(node) == CMARK_NODE_SOFTBREAK ||
                          cmark_node_get_type(node) == CMARK_NODE_LINEBREAK ||
                          cmark_node_get_type(node) == CMARK_NODE_THEMATIC_BREAK;
        if (!leaf) {
            ++depth;
        }
    }
    cmark_iter_free(iter);
    return shape;
}

TEST(CmarkCompatRobustnessTest, HundredThousandNestedQuotesFoldIntoBoundedDepth) {
    const CmarkDocument document = CmarkDocument::parse(std::string(100000, '>') + " deep\n");
    EXPECT_LE(shapeOf(document).maxDepth, kMaxNestingDepth + 1);
    EXPECT_EQ(document.guardReport().foldedSubtrees, 1);
}

TEST(CmarkCompatRobustnessTest, DeepInlineNestingFoldsIntoText) {
    std::string markdown;
    for (int i = 0; i < 400; ++i) {
        markdown += "^[";
    }
    markdown += "x";
    for (int i = 0; i < 400; ++i) {
        markdown += "](a)";
    }
    const CmarkDocument document = CmarkDocument::parse(markdown + "\n");
    EXPECT_LE(shapeOf(document).maxDepth, kMaxNestingDepth + 1);

    std::string lists;
    for (int i = 0; i < 300; ++i) {
        lists += std::string(static_cast<std::size_t>(i) * 2, ' ') + "- item\n";
    }
    const CmarkDocument listDocument = CmarkDocument::parse(lists);
    EXPECT_LE(shapeOf(listDocument).maxDepth, kMaxNestingDepth + 1);
    EXPECT_GE(listDocument.guardReport().foldedSubtrees, 1);
}

TEST(CmarkCompatRobustnessTest, FiftyThousandStarsParse) {
    const CmarkDocument document = CmarkDocument::parse(std::string(50000, '*') + "\n");
    EXPECT_GE(shapeOf(document).nodes, 2);
    const CmarkDocument words = CmarkDocument::parse([] {
        std::string text;
        for (int i = 0; i < 25000; ++i) {
            text += "*a ";
        }
        return text + "\n";
    }());
    EXPECT_GE(shapeOf(words).nodes, 2);
}

TEST(CmarkCompatRobustnessTest, WideHeaderWithManyRowsParsesWithoutTheTableExtension) {
    std::string markdown = "|";
    for (int i = 0; i < 2000; ++i) {
        markdown += "a|";
    }
    markdown += "\n|";
    for (int i = 0; i < 2000; ++i) {
        markdown += "-|";
    }
    markdown += "\n";
    for (int i = 0; i < 5000; ++i) {
        markdown += "x\n";
    }
    const CmarkDocument document = CmarkDocument::parse(markdown);
    EXPECT_TRUE(document.guardReport().tableExtensionDropped);
    EXPECT_EQ(std::string(CmarkDocument::typeString(cmark_node_first_child(document.root()))), "paragraph");
}

TEST(CmarkCompatRobustnessTest, TwentyThousandPipeRowParsesWithoutTheTableExtension) {
    for (const std::string& markdown :
         {"|a|\n|-|\n" + std::string(20000, '|') + "\n", std::string(20000, '|') + "\n|-|\n"}) {
        const CmarkDocument document = CmarkDocument::parse(markdown);
        EXPECT_TRUE(document.guardReport().tableExtensionDropped);
    }
}

TEST(CmarkCompatRobustnessTest, ManyWideRowsAndTablesInContainersParseWithoutTheTableExtension) {
    std::string wideRows = "|a|b|\n|-|-|\n";
    for (int i = 0; i < 300; ++i) {
        wideRows += "|" + std::string(900, '|') + "\n";
    }
    std::string inList = "1. |h|\n   |-|\n";
    std::string inQuote = "> * |h|\n>   |-|\n";
    for (int i = 0; i < 60000; ++i) {
        inList += "   |" + std::to_string(i) + "|\n";
        inQuote += ">   |" + std::to_string(i) + "|\n";
    }
    for (const std::string& markdown : {wideRows, inList, inQuote}) {
        EXPECT_TRUE(CmarkDocument::parse(markdown).guardReport().tableExtensionDropped);
    }
}

TEST(CmarkCompatRobustnessTest, OrdinaryTablesKeepTheTableExtension) {
    std::string markdown = "| a | b | c |\n|---|---|---|\n";
    for (int i = 0; i < 1000; ++i) {
        markdown += "| 1 | 2 | 3 |\n";
    }
    const CmarkDocument document = CmarkDocument::parse(markdown);
    EXPECT_FALSE(document.guardReport().tableExtensionDropped);
    EXPECT_EQ(std::string(CmarkDocument::typeString(cmark_node_first_child(document.root()))), "table");
}

// The header row's pipes count towards the width bound only when the delimiter row follows it
// directly; pipe-free text and tables far down a long text are measured like any others.
TEST(CmarkCompatRobustnessTest, WidthBoundCountsOnlyTheLineRightBeforeADelimiterRow) {
    const std::string widePipes(999, '|');
    const std::string prose = [] {
        std::string lines;
        for (int i = 0; i < 5000; ++i) {
            lines += "plain words without any table on line " + std::to_string(i) + "\n";
        }
        return lines;
    }();
    std::string wideTable = "|";
    for (int i = 0; i < 2000; ++i) {
        wideTable += "a|";
    }
    wideTable += "\n|" + std::string(2000, '-') + "|\n";
    for (int i = 0; i < 5000; ++i) {
        wideTable += "x\n";
    }
    struct Case {
        const char* name;
        std::string block;
        int repetitions;
        bool dropped;
    };
    const Case cases[] = {
        {"wide header right before each delimiter row", widePipes + "\n|-|\n\n", 21, true},
        {"pipe-free line between the wide line and the delimiter row", widePipes + "\nx\n|-|\n\n", 21, false},
        {"wide table after a long stretch of prose", prose + wideTable, 1, true},
        {"prose alone", prose, 1, false},
    };
    for (const Case& c : cases) {
        std::string markdown;
        for (int i = 0; i < c.repetitions; ++i) {
            markdown += c.block;
        }
        EXPECT_EQ(CmarkDocument::parse(markdown).guardReport().tableExtensionDropped, c.dropped) << c.name;
    }
}

TEST(CmarkCompatRobustnessTest, ManyUnclosedAttributeOpenersParse) {
    std::string markdown;
    for (int i = 0; i < 30000; ++i) {
        markdown += "^[(";
    }
    const CmarkDocument document = CmarkDocument::parse(markdown + "\n");
    EXPECT_GE(shapeOf(document).nodes, 2);
}

TEST(CmarkCompatRobustnessTest, InvalidUtf8EverywhereParses) {
    std::string markdown;
    for (int i = 0; i < 20000; ++i) {
        markdown += static_cast<char>(0x80 + i % 128);
        markdown += i % 7 == 0 ? "\n" : "`|*";
    }
    const CmarkDocument document = CmarkDocument::parse(markdown);
    EXPECT_GT(document.guardReport().invalidUtf8Sequences, 0);
    EXPECT_GE(shapeOf(document).nodes, 2);
}

} // namespace
} // namespace Markdown::CmarkCompat
