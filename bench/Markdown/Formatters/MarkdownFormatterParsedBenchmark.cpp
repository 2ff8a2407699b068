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
    double ours = 0;
    double cmark = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        benchmark::DoNotOptimize(cmarkParseAndRender(text, CmarkOutput::commonMark));
        cmark += millisecondsSince(start);
        start = Clock::now();
        benchmark::DoNotOptimize(document.format(MarkupFormatter::Options::defaultOptions()));
        ours += millisecondsSince(start);
    }
    state.counters["bytes"] = static_cast<double>(text.size());
    state.counters["format_vs_cmark"] = ours / cmark;
}
BENCHMARK(FormatGfmExamplesFile)->Unit(benchmark::kMillisecond)->Iterations(20);

void HTMLOfGfmExamplesFile(benchmark::State& state) {
    const std::string text = Markdown::Testing::loadGfmExamplesText();
    const Document document = Document::parsing(text);
    double ours = 0;
    double cmark = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        benchmark::DoNotOptimize(cmarkParseAndRender(text, CmarkOutput::html));
        cmark += millisecondsSince(start);
        start = Clock::now();
        benchmark::DoNotOptimize(HTMLFormatter::format(document));
        ours += millisecondsSince(start);
    }
    state.counters["html_vs_cmark"] = ours / cmark;
}
BENCHMARK(HTMLOfGfmExamplesFile)->Unit(benchmark::kMillisecond)->Iterations(20);

// The text entry: parsing included on both sides.
void HTMLOfGfmExamplesText(benchmark::State& state) {
    const std::string text = Markdown::Testing::loadGfmExamplesText();
    double ours = 0;
    double cmark = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        benchmark::DoNotOptimize(cmarkParseAndRender(text, CmarkOutput::html));
        cmark += millisecondsSince(start);
        start = Clock::now();
        benchmark::DoNotOptimize(HTMLFormatter::format(std::string_view(text)));
        ours += millisecondsSince(start);
    }
    state.counters["html_of_text_vs_cmark"] = ours / cmark;
}
BENCHMARK(HTMLOfGfmExamplesText)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

BENCHMARK_MAIN();
