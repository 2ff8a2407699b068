// Hostile inputs through the whole parser, on both paths: each must parse into a tree that every
// consumer can walk and release.

#include <Markdown/Markdown.h>
#include <Markdown/Parser/BlockDirectiveParsing.h>
#include <Markdown/Parser/LineSplitting.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace Markdown {
namespace {

const ParseOptions kDirectives{ParseOptions::parseBlockDirectives, ParseOptions::parseMinimalDoxygen};

struct Shape : MarkupWalker<Shape> {
    std::int64_t nodes = 0;
    std::int64_t depth = 0;
    std::int64_t maxDepth = 0;
    void defaultVisit(const Markup& markup) {
        ++nodes;
        ++depth;
        maxDepth = std::max(maxDepth, depth);
        descendInto(markup);
        --depth;
    }
};

Shape shapeOf(const Document& document) {
    Shape shape;
    shape.visit(document);
    return shape;
}

std::string repeated(const std::string& piece, int count) {
    std::string text;
    text.reserve(piece.size() * static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        text += piece;
    }
    return text;
}

TEST(ParserRobustnessTest, HundredThousandNestedQuotes) {
    const std::string text = std::string(100000, '>') + " deep\n";
    for (ParseOptions options : {ParseOptions{}, kDirectives}) {
        const Shape shape = shapeOf(Document::parsing(text, options));
        EXPECT_LE(shape.maxDepth, 140);
        EXPECT_GE(shape.nodes, 3);
    }
}

TEST(ParserRobustnessTest, FiftyThousandStars) {
    for (const std::string& text : {std::string(50000, '*') + "\n", repeated("*a ", 25000) + "\n"}) {
        for (ParseOptions options : {ParseOptions{}, kDirectives}) {
            EXPECT_GE(shapeOf(Document::parsing(text, options)).nodes, 2);
        }
    }
}

TEST(ParserRobustnessTest, TableBombs) {
    const std::string wideHeader =
        "|" + repeated("a|", 2000) + "\n|" + repeated("-|", 2000) + "\n" + repeated("|x|\n", 5000);
    const std::string pipeRow = "| a | b |\n|---|---|\n" + std::string(20000, '|') + "\n";
    for (const std::string* text : {&wideHeader, &pipeRow}) {
        for (ParseOptions options : {ParseOptions{}, kDirectives}) {
            EXPECT_GE(Document::parsing(*text, options).childCount(), 1);
        }
    }
}

TEST(ParserRobustnessTest, UnclosedAndDeeplyNestedDirectives) {
    const Document unclosed =
        Document::parsing(repeated("@Open(a: \"b\n", 3) + "@Body {\n  text\n  @Inner {\n", kDirectives);
    EXPECT_GE(unclosed.childCount(), 1);

    // Directives nest up to the cap; the deeper openings stay text in the innermost one.
    const int levels = 20000;
    const Document nested =
        Document::parsing(repeated("@d {\n", levels) + "x\n" + repeated("}\n", levels), kDirectives);
    EXPECT_EQ(shapeOf(nested).maxDepth, static_cast<std::int64_t>(kMaxBlockDirectiveNesting) + 3);

    const Document arguments = Document::parsing("@A(" + repeated("k: v, ", 20000) + ")\n", kDirectives);
    EXPECT_EQ(arguments.child(0)->as<BlockDirective>()->argumentText().parseNameValueArguments().size(),
              20000u);
}

TEST(ParserRobustnessTest, InvalidUtf8OnBothPaths) {
    std::string text = "# T\xFF\n\n@D(\xC3\x28: \xE2\x82) {\n  \xF0\x9F\x98 *x\xC0\xAF*\n}\n| a\xED\xA0\x80 "
                       "|\n|---|\n| \x80 |\n";
    text += std::string("\0\x01\xFE", 3);
    for (ParseOptions options : {ParseOptions{}, kDirectives}) {
        const Document document = Document::parsing(text, options);
        EXPECT_GE(shapeOf(document).nodes, 5);
    }
    const Document document = Document::parsing(text, kDirectives);
    const BlockDirective directive = *document.child(1)->as<BlockDirective>();
    EXPECT_EQ(directive.argumentText().segments.at(0).trimmedText(), "\xEF\xBF\xBD(: \xEF\xBF\xBD");
}

// Random mixtures of the constructs both paths treat specially, in every nesting and order: each must
// parse without an exception, an abort or a sanitizer report, and every range must lie in the text.
TEST(ParserRobustnessTest, RandomConstructMixtures) {
    const std::vector<std::string> pieces = {
        "@D(",      "@Dir {", "}",    "{",     ")",     "\\note ", "@param x ", "@returns ",
        "\"",       "\\",     "`",    "``",    "```",   "~~~",     "> ",        "- ",
        "1. ",      "- [x] ", "|",    "|---|", "| ^ |", "||",      "^[",        "](a)",
        "]: b",     "[",      "]",    "(",     "*",     "_",       "~~",        "<div>",
        "&amp;",    "\t",     "    ", "  ",    "\n",    "\n\n",    "\r\n",      "\xE2\x80\xA8",
        "\xC3\xA9", "\xFF",   "text", "#"};
    std::mt19937 random(20261210);
    for (int round = 0; round < 1500; ++round) {
        std::string text;
        const int count = 1 + static_cast<int>(random() % 60);
        for (int i = 0; i < count; ++i) {
            text += pieces[random() % pieces.size()];
        }
        for (ParseOptions options :
             {ParseOptions{}, kDirectives, ParseOptions{ParseOptions::parseSymbolLinks}}) {
            const Document document = Document::parsing(text, options);
            struct RangeCheck : MarkupWalker<RangeCheck> {
                std::int64_t lines = 0;
                std::string outside; // the first element whose range leaves the text
                void defaultVisit(const Markup& markup) {
                    if (const auto& range = markup.range()) {
                        const bool ok = range->start().line() >= 1 && range->end().line() <= lines &&
                                        range->start().column() >= 1;
                        if (!ok && outside.empty()) {
                            outside =
                                std::string(markup.typeName()) + " " + range->diagnosticDescription(false);
                        }
                    }
                    descendInto(markup);
                }
            } check;
            check.lines = static_cast<std::int64_t>(splitLines(text).size());
            check.visit(document);
            EXPECT_EQ(check.outside, "")
                << "round " << round << ", options " << options.rawValue() << ": " << text;
        }
    }
}

} // namespace
} // namespace Markdown
