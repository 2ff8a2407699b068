#pragma once

// The baseline of the formatter benchmarks: one cmark-gfm pass over a text with the extensions the library's
// parser uses, rendered back as Markdown or as HTML.

#include <benchmark/benchmark.h>
#include <cmark-gfm-core-extensions.h>
#include <cmark-gfm.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>

namespace FormatterBenchmark {

using Clock = std::chrono::steady_clock;

inline double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

/// Milliseconds per iteration of our work and of the baseline, measured in the same iterations.
struct Timings {
    double ours = 0;
    double baseline = 0;
    double ratio() const { return ours / baseline; }
};

/// Runs `baseline` and then `ours` once in each iteration of `state`.
template <class Baseline, class Ours>
Timings timeAgainstBaseline(benchmark::State& state, Baseline baseline, Ours ours) {
    Timings totals;
    for (auto _ : state) {
        auto start = Clock::now();
        benchmark::DoNotOptimize(baseline());
        totals.baseline += millisecondsSince(start);
        start = Clock::now();
        benchmark::DoNotOptimize(ours());
        totals.ours += millisecondsSince(start);
    }
    const double iterations = static_cast<double>(state.iterations());
    return {totals.ours / iterations, totals.baseline / iterations};
}

enum class CmarkOutput { commonMark, html };

/// Parses `text` and renders it (`width` wraps the Markdown output; 0 for none); returns the output's length.
inline std::size_t cmarkParseAndRender(const std::string& text, CmarkOutput output, int width = 0) {
    cmark_gfm_core_extensions_ensure_registered();
    cmark_parser* parser = cmark_parser_new(CMARK_OPT_DEFAULT);
    for (const char* name : {"table", "strikethrough", "tasklist"}) {
        cmark_parser_attach_syntax_extension(parser, cmark_find_syntax_extension(name));
    }
    cmark_parser_feed(parser, text.data(), text.size());
    cmark_node* document = cmark_parser_finish(parser);
    char* rendered =
        output == CmarkOutput::commonMark
            ? cmark_render_commonmark(document, CMARK_OPT_DEFAULT, width)
            : cmark_render_html(document, CMARK_OPT_DEFAULT, cmark_parser_get_syntax_extensions(parser));
    const std::size_t length = std::strlen(rendered);
    std::free(rendered);
    cmark_node_free(document);
    cmark_parser_free(parser);
    return length;
}

} // namespace FormatterBenchmark
