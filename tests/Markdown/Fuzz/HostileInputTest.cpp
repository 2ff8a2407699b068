// Hostile clipboard text through every consumer of the Markdown library: fixtures of faults once found,
// and seeded random mixtures of every construct.

#include "HostileMarkdown.h"

#include <Markdown/Markdown.h>
#include <Markdown/Parser/BlockDirectiveParsing.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace Markdown {
namespace {

const ParseOptions kDirectives{ParseOptions::parseBlockDirectives, ParseOptions::parseMinimalDoxygen};

std::string repeated(std::string_view piece, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += piece;
    }
    return text;
}

// Printable form of a failing input for the test log.
std::string escaped(std::string_view text) {
    std::string result;
    for (unsigned char c : text.substr(0, 600)) {
        if (c == '\n') {
            result += "\\n";
        } else if (c < 0x20 || c >= 0x7F || c == '\\') {
            char code[8];
            std::snprintf(code, sizeof code, "\\x%02X", c);
            result += code;
        } else {
            result.push_back(static_cast<char>(c));
        }
    }
    return text.size() > 600 ? result + "..." : result;
}

struct Depth : MarkupWalker<Depth> {
    std::int64_t depth = 0;
    std::int64_t maxDepth = 0;
    std::int64_t directives = 0;
    void defaultVisit(const Markup& markup) {
        ++depth;
        maxDepth = std::max(maxDepth, depth);
        descendInto(markup);
        --depth;
    }
    void visitBlockDirective(const BlockDirective& directive) {
        ++directives;
        defaultVisit(directive);
    }
};

struct HostileFixture {
    const char* name;
    std::string text;
    // What must hold of the document parsed with directives, beyond parsing and printing at all.
    std::function<void(const Document&, const std::string& text)> check;
};

std::ostream& operator<<(std::ostream& out, const HostileFixture& fixture) {
    return out << fixture.name;
}

class HostileFixtureTest : public testing::TestWithParam<HostileFixture> {};

TEST_P(HostileFixtureTest, ParsesPrintsAndHolds) {
    const HostileFixture& fixture = GetParam();
    EXPECT_NO_THROW(Fuzz::exerciseMarkdown(fixture.text)) << escaped(fixture.text);
    fixture.check(Document::parsing(fixture.text, kDirectives), fixture.text);
}

// A definition that ends its paragraph's content without a line break (the table below took the rest).
void definitionAppliesInsideTheTable(const Document& document, const std::string&) {
    ASSERT_EQ(document.childCount(), 1);
    const std::optional<Table> table = document.child(0)->as<Table>();
    ASSERT_TRUE(table);
    const std::optional<Markup> attributes = table->child({0, 0, 0});
    ASSERT_TRUE(attributes && attributes->is<InlineAttributes>()) << document.debugDescription();
    EXPECT_EQ(attributes->as<InlineAttributes>()->attributes(), "class: \"x\"");
}

// Directives nest up to the cap; deeper openings and their braces stay text of the innermost one.
void directivesStopAtTheCap(const Document& document, const std::string&) {
    Depth depth;
    depth.visit(document);
    EXPECT_EQ(depth.directives, static_cast<std::int64_t>(kMaxBlockDirectiveNesting));
    EXPECT_LE(depth.maxDepth, static_cast<std::int64_t>(kMaxBlockDirectiveNesting) + 8);
    EXPECT_EQ(document.childCount(), 1) << "a brace of a refused opening closed an outer directive";
    EXPECT_NE(HTMLFormatter::format(document).find("@"), std::string::npos) << "the refused openings are lost";
}

INSTANTIATE_TEST_SUITE_P(
    Faults, HostileFixtureTest,
    testing::Values(
        HostileFixture{"AttributeDefinitionRightBeforeATable",
                       "^[note]: class: \"x\"\n| ^[a][note] | b |\n|---|---|\n",
                       definitionAppliesInsideTheTable},
        HostileFixture{"AttributeDefinitionBeforeATableWithoutRows", "^[note]: class: \"x\"\n| a | b |\n|---|---|\n",
                       [](const Document& document, const std::string&) {
                           EXPECT_TRUE(document.child(0)->is<Table>()) << document.debugDescription();
                       }},
        HostileFixture{"FiveThousandNestedDirectives", repeated("@d {\n", 5000) + "x\n" + repeated("}\n", 5000),
                       directivesStopAtTheCap},
        HostileFixture{"NestedDirectivesWithArgumentsAndIndentation",
                       repeated("  @Dir(a: \"b\", c: d) {\n", 3000) + "- x\n" + repeated("  }\n", 3000),
                       directivesStopAtTheCap}),
    [](const testing::TestParamInfo<HostileFixture>& info) { return std::string(info.param.name); });

// Past the cap, twice the nesting prints about twice the text, not four times as much.
TEST(HostileInput, PrintedNestedDirectivesGrowWithTheInput) {
    auto printedSize = [](int levels) {
        const std::string text = repeated("@d {\n", levels) + "x\n" + repeated("}\n", levels);
        return static_cast<double>(
            Document::parsing(text, kDirectives).format(MarkupFormatterOptions::defaultOptions()).size());
    };
    EXPECT_LE(printedSize(4000) / printedSize(2000), 2.2);
}

// Random mixtures from fixed seeds: no exception, crash or sanitizer report on any path. The slowest input
// is reported; its time is watched in the benchmarks, not asserted here.
TEST(HostileInput, GeneratedMixturesThroughEveryConsumer) {
    constexpr int kSeeds = 8;
    constexpr int kInputsPerSeed = 350;
    double slowestSeconds = 0;
    std::string slowest;
    for (int seed = 1; seed <= kSeeds; ++seed) {
        Fuzz::HostileMarkdownGenerator generator(static_cast<std::uint64_t>(seed));
        for (int input = 0; input < kInputsPerSeed; ++input) {
            const std::string text = generator.next();
            const auto start = std::chrono::steady_clock::now();
            try {
                Fuzz::exerciseMarkdown(text);
            } catch (const std::exception& error) {
                ADD_FAILURE() << "seed " << seed << ", input " << input << ": " << error.what() << "\n"
                              << escaped(text);
            }
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            if (seconds > slowestSeconds) {
                slowestSeconds = seconds;
                slowest = "seed " + std::to_string(seed) + ", input " + std::to_string(input) + ", " +
                          std::to_string(text.size()) + " bytes";
            }
        }
    }
    std::printf("slowest input: %.3f s (%s)\n", slowestSeconds, slowest.c_str());
    RecordProperty("slowestInputMilliseconds", static_cast<int>(slowestSeconds * 1000));
}

} // namespace
} // namespace Markdown
