#include "FormatterTestSupport.h"
#include "GfmHarness/CmarkCli.h"

#include <Markdown/Walker/Walkers/CharacterCount.h>

#include <gtest/gtest.h>

#include <functional>

namespace FormatterTest {
namespace {

using Markdown::Testing::cmarkGfmHtml;
using Alignments = Table::ColumnAlignments;
constexpr auto left = TableColumnAlignment::left;
constexpr auto center = TableColumnAlignment::center;
constexpr auto right = TableColumnAlignment::right;

struct TableCase {
    std::string name;
    std::function<Table()> table;
    std::string expected;
};

class TablePrintingTest : public ::testing::TestWithParam<TableCase> {};

TEST_P(TablePrintingTest, PrintsPaddedColumnsAndTheDelimiterRow) {
    const std::string printed = formatted(GetParam().table());
    EXPECT_EQ(printed, GetParam().expected);
    // All lines of a table have the same length.
    const std::size_t lineLength = printed.find('\n');
    for (std::size_t start = 0; start < printed.size();) {
        const std::size_t end = std::min(printed.find('\n', start), printed.size());
        EXPECT_EQ(characterCount(std::string_view(printed).substr(start, end - start)),
                  characterCount(std::string_view(printed).substr(0, lineLength)))
            << printed;
        start = end + 1;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Tables, TablePrintingTest,
    ::testing::Values(
        TableCase{"widthsFromTheWidestText",
                  [] {
                      return Table(std::nullopt, TableHead({cell("a"), cell("bb")}),
                                   TableBody(TableRow({cell("ccc"), cell("d")})));
                  },
                  "|a  |bb|\n|---|--|\n|ccc|d |"},
        TableCase{
            "centerNeedsThreeColumns",
            [] { return Table(Alignments{center}, TableHead(cell("x")), TableBody(TableRow(cell("y")))); },
            "|x  |\n|:-:|\n|y  |"},
        TableCase{"leftAndRight",
                  [] {
                      return Table(Alignments{left, right}, TableHead({cell("x"), cell("long")}),
                                   TableBody(TableRow({cell("y"), cell("z")})));
                  },
                  "|x |long|\n|:-|---:|\n|y |z   |"},
        TableCase{
            "emptyColumnIsOneWide",
            [] { return Table(std::nullopt, TableHead({cell("")}), TableBody(TableRow({TableCell()}))); },
            "| |\n|-|\n| |"},
        TableCase{"headColspanCoversTwoWidths",
                  [] {
                      return Table(std::nullopt, TableHead({TableCell(2, 1, {Text("ab")}), TableCell(0, 1)}),
                                   TableBody(TableRow({cell("ccc"), cell("dddd")})));
                  },
                  "|ab     ||\n|---|----|\n|ccc|dddd|"},
        TableCase{"rowspanFillerPrintsCaret",
                  [] {
                      return Table(std::nullopt, TableHead({cell("h1"), cell("h2")}),
                                   TableBody({TableRow({TableCell(1, 2, {Text("x")}), cell("y")}),
                                              TableRow({TableCell(1, 0), cell("z")})}));
                  },
                  "|h1|h2|\n|--|--|\n|x |y |\n|^ |z |"},
        TableCase{"shortRowsCompleted",
                  [] {
                      return Table(
                          std::nullopt, TableHead({cell("a")}),
                          TableBody({TableRow({cell("b"), cell("c"), cell("d")}), TableRow({cell("e")})}));
                  },
                  "|a| | |\n|-|-|-|\n|b|c|d|\n|e| | |"},
        TableCase{"softBreaksInCellsAreSpaces",
                  [] {
                      return Table(std::nullopt, TableHead(TableCell({Text("a"), SoftBreak(), Text("b")})),
                                   TableBody());
                  },
                  "|a b|\n|---|"},
        TableCase{"extraAlignmentsIgnored",
                  [] {
                      return Table(Alignments{right, left, center}, TableHead(cell("a")), TableBody());
                  },
                  "|a |\n|-:|"},
        TableCase{"pipesInCellsEscaped",
                  [] {
                      return Table(std::nullopt, TableHead({cell("a|b")}),
                                   TableBody(TableRow(TableCell({InlineCode("x|y")}))));
                  },
                  "|a\\|b  |\n|------|\n|`x\\|y`|"},
        TableCase{
            "widthsCountCharacters",
            [] { return Table(std::nullopt, TableHead(cell("żółw")), TableBody(TableRow(cell("ab")))); },
            "|żółw|\n|----|\n|ab  |"}),
    [](const auto& info) { return info.param.name; });

TEST(TablePrinting, FollowsTheBlockBeforeItWithABlankLineAndCarriesThePrefix) {
    const Document document({paragraph("p"), BlockQuote({Table(std::nullopt, TableHead(cell("a")),
                                                               TableBody(TableRow(cell("b"))))})});
    EXPECT_EQ(formatted(document), "p\n\n> |a|\n> |-|\n> |b|");
}

TEST(TablePrinting, WithALineLimitACellStaysOnItsRow) {
    // A row is one line: a cell wrapped at the limit would end it, and the table with it.
    OptionValues values;
    values.preferredLineLimit = PreferredLineLimit(8, LineSplittingElement::softBreak);
    const Table table(std::nullopt, TableHead(cell("one two three")), TableBody());
    EXPECT_EQ(formatted(table, values), "|one two three|\n|-------------|");
}

TEST(TablePrinting, ReadsBackWithTheSameCellsSpansAside) {
    const Table table(
        Alignments{std::nullopt, center}, TableHead({cell("a|b"), cell("*c*")}),
        TableBody({TableRow({cell("1"), TableCell({InlineCode("x|y")})}), TableRow({cell("3")})}));
    EXPECT_EQ(cmarkGfmHtml(formatted(Document({table}))),
              "<table>\n<thead>\n<tr>\n<th>a|b</th>\n<th align=\"center\"><em>c</em></th>\n</tr>\n</thead>\n"
              "<tbody>\n<tr>\n<td>1</td>\n<td align=\"center\"><code>x|y</code></td>\n</tr>\n"
              "<tr>\n<td>3</td>\n<td align=\"center\"></td>\n</tr>\n</tbody>\n</table>\n");
}

// Table parts printed on their own (they used to end the program).

Table partsFixture() {
    return Table(Alignments{right, std::nullopt}, TableHead({cell("h"), cell("head")}),
                 TableBody({TableRow({cell("a|"), cell("b")}), TableRow({cell("ccc")})}));
}

TEST(TablePrinting, PartsPrintedAloneGiveTheirOwnLines) {
    const Table table = partsFixture();
    EXPECT_EQ(formatted(table.head()), "|h |head|\n|-:|----|");
    EXPECT_EQ(formatted(table.body()), "|a\\||b|\n|ccc| |");
    EXPECT_EQ(formatted(*table.body().child(0)), "|a\\||b|");
    EXPECT_EQ(formatted(*table.body().child(1)->child(0)), "ccc");
    EXPECT_EQ(formatted(TableRow({cell("x"), cell("yy")})), "|x|yy|");
    EXPECT_EQ(formatted(TableCell({Text("p|q")})), "p\\|q");
}

} // namespace
} // namespace FormatterTest
