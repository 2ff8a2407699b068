// Costs of the Markdown printer (`format`) and the HTML formatter on the GFM examples file read into a tree
// by the library's parser, each a ratio against cmark-gfm parsing the same text and rendering it back with
// cmark_render_commonmark or cmark_render_html in the same run. The tree is parsed once, outside the timing,
// except for the HTML formatter's text entry, which parses as part of its work.
#include "CmarkBaseline.h"
#include "GfmHarness/GfmExamples.h"

#include <Markdown/Markdown.h>
#include <Markdown/Parser/Parser.h>

#include <benchmark/benchmark.h>

namespace {

using namespace Markdown;
using namespace FormatterBenchmark;

void FormatGfmExamplesFile(benchmark::State& state) {
    const std::string text = Markdown::Testing::loadGfmExamplesText();
    const Document document = Document::parsing(text);
    const Timings timings = timeAgainstBaseline(
        state, [&] { return cmarkParseAndRender(text, CmarkOutput::commonMark); },
        [&] { return document.format(MarkupFormatter::Options::defaultOptions()); });
    state.counters["bytes"] = static_cast<double>(text.size());
    state.counters["format_vs_cmark"] = timings.ratio();
}
BENCHMARK(FormatGfmExamplesFile)->Unit(benchmark::kMillisecond)->Iterations(20);

void HTMLOfGfmExamplesFile(benchmark::State& state) {
    const std::string text = Markdown::Testing::loadGfmExamplesText();
    const Document document = Document::parsing(text);
    const Timings timings = timeAgainstBaseline(
        state, [&] { return cmarkParseAndRender(text, CmarkOutput::html); },
        [&] { return HTMLFormatter::format(document); });
    state.counters["html_vs_cmark"] = timings.ratio();
}
BENCHMARK(HTMLOfGfmExamplesFile)->Unit(benchmark::kMillisecond)->Iterations(20);

// The text entry: parsing included on both sides.
void HTMLOfGfmExamplesText(benchmark::State& state) {
    const std::string text = Markdown::Testing::loadGfmExamplesText();
    const Timings timings = timeAgainstBaseline(
        state, [&] { return cmarkParseAndRender(text, CmarkOutput::html); },
        [&] { return HTMLFormatter::format(std::string_view(text)); });
    state.counters["html_of_text_vs_cmark"] = timings.ratio();
}
BENCHMARK(HTMLOfGfmExamplesText)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

BENCHMARK_MAIN();
