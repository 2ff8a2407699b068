// Costs of the Markdown printer (`format`) and the HTML formatter on a large constructed document, each
// reported as a ratio against cmark-gfm on the same text in the same run: cmark-gfm parsing the printed
// Markdown and rendering it back with cmark_render_commonmark (for `format`) or cmark_render_html (for the
// HTML formatter). Our side starts from the finished tree, the baseline from text, so the ratio says how the
// formatter alone compares with a whole parse-and-render pass of the C library.
#include "CmarkBaseline.h"

#include <Markdown/Markdown.h>

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

using namespace Markdown;
using namespace FormatterBenchmark;

// About 2 MB of printed Markdown.
constexpr int sectionCount = 3900;

Markup section(int n) {
    const std::string number = std::to_string(n);
    std::vector<Markup> blocks;
    blocks.push_back(Heading(2, {Text("Section " + number)}));
    blocks.push_back(
        Paragraph({Text("Some "), Emphasis({Text("emphasised")}), Text(" and "), Strong({Text("strong")}),
                   Text(" text with "), InlineCode("code()"), Text(", a "),
                   Link("https://example.org/" + number, std::nullopt, {Text("link")}), Text(" and an "),
                   Image("img" + number + ".png", "title", {Text("image")}), SoftBreak(),
                   Text("continued on a second line of ordinary prose."), LineBreak(),
                   Text("After a hard break, "), Strikethrough({Text("struck")}), Text(" text.")}));
    blocks.push_back(UnorderedList(
        {ListItem(std::nullopt, {Paragraph({Text("first item " + number)})}),
         ListItem(Checkbox::checked, {Paragraph({Text("done task")})}),
         ListItem(std::nullopt, {Paragraph({Text("with a nested list")}),
                                 OrderedList({ListItem(std::nullopt, {Paragraph({Text("one")})}),
                                              ListItem(std::nullopt, {Paragraph({Text("two")})})})})}));
    blocks.push_back(CodeBlock("cpp", "int main() {\n    return " + number + ";\n}\n"));
    blocks.push_back(BlockQuote({Paragraph({Text("A quoted paragraph that runs on for a while, "),
                                            Text("so that the quote has some text in it.")})}));
    blocks.push_back(
        Table(Table::ColumnAlignments{TableColumnAlignment::left, std::nullopt, TableColumnAlignment::right},
              TableHead({TableCell({Text("name")}), TableCell({Text("value")}), TableCell({Text("count")})}),
              TableBody({TableRow({TableCell({Text("alpha")}), TableCell({InlineCode("a|b")}),
                                   TableCell({Text(number)})}),
                         TableRow({TableCell({Text("beta")}), TableCell({Emphasis({Text("b")})}),
                                   TableCell({Text("2")})})})));
    blocks.push_back(ThematicBreak());
    return CustomBlock(blocks);
}

// Built afresh by each benchmark: a tree kept in a static would outlive the thread-local state that releasing
// trees uses at exit.
Document largeDocument() {
    std::vector<Markup> sections;
    for (int n = 0; n < sectionCount; ++n) {
        for (const Markup& block : section(n).children()) {
            sections.push_back(block.detachedFromParent());
        }
    }
    return Document(sections);
}

void FormatLargeDocument(benchmark::State& state) {
    const Document document = largeDocument();
    const std::string text = document.format(MarkupFormatter::Options::defaultOptions());
    const Timings timings = timeAgainstBaseline(
        state, [&] { return cmarkParseAndRender(text, CmarkOutput::commonMark); },
        [&] { return document.format(MarkupFormatter::Options::defaultOptions()); });
    state.counters["bytes"] = static_cast<double>(text.size());
    state.counters["format_ms"] = timings.ours;
    state.counters["cmark_ms"] = timings.baseline;
    state.counters["format_vs_cmark"] = timings.ratio();
}
BENCHMARK(FormatLargeDocument)->Unit(benchmark::kMillisecond)->Iterations(5);

void FormatLargeDocumentWithLineLimit(benchmark::State& state) {
    const Document document = largeDocument();
    const std::string text = document.format(MarkupFormatter::Options::defaultOptions());
    const MarkupFormatter::Options wrapping(
        UnorderedListMarker::dash, OrderedListNumerals::allSame(1), UseCodeFence::always, std::nullopt,
        ThematicBreakCharacter::dash, 5, EmphasisMarker::star, true, PreferredHeadingStyle::atx,
        PreferredLineLimit(40, LineSplittingElement::softBreak), "", DoxygenCommandPrefix::backslash,
        AdjacentDoxygenCommandsSpacing::singleNewline);
    const Timings timings = timeAgainstBaseline(
        state, [&] { return cmarkParseAndRender(text, CmarkOutput::commonMark, 40); },
        [&] { return document.format(wrapping); });
    state.counters["format_vs_cmark"] = timings.ratio();
}
BENCHMARK(FormatLargeDocumentWithLineLimit)->Unit(benchmark::kMillisecond)->Iterations(3);

void HTMLOfLargeDocument(benchmark::State& state) {
    const Document document = largeDocument();
    const std::string text = document.format(MarkupFormatter::Options::defaultOptions());
    const Timings timings = timeAgainstBaseline(
        state, [&] { return cmarkParseAndRender(text, CmarkOutput::html); },
        [&] { return HTMLFormatter::format(document); });
    state.counters["html_ms"] = timings.ours;
    state.counters["cmark_ms"] = timings.baseline;
    state.counters["html_vs_cmark"] = timings.ratio();
}
BENCHMARK(HTMLOfLargeDocument)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

BENCHMARK_MAIN();
