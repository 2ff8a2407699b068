// Stock cmark-gfm parse plus iteration (the baseline) against the compatibility layer's parse plus
// the reads a conversion makes, against the whole parse into a document tree (plain and with block
// directives), and against the block-directive pre-parser, on the same inputs in the same run. Each
// benchmark reports both times and their ratio as counters; the hostile inputs report the parse's time
// alone (the stock parser takes minutes on some of them, which is why the layer guards against them).

#include <Markdown/CmarkCompat/CmarkCompat.h>
#include <Markdown/Parser/BlockDirectiveParsing.h>
#include <Markdown/Parser/Parser.h>

#include "GfmHarness/GfmExamples.h"

#include <benchmark/benchmark.h>
#include <cmark-gfm-core-extensions.h>
#include <cmark-gfm-extension_api.h>

#include <chrono>
#include <random>
#include <string>

namespace {

using Markdown::CmarkCompat::CmarkDocument;

// The baseline: a stock parser with the stock extensions the layer uses (table, strikethrough, tasklist)
// and the same options, the parse, one iteration reading each node's position, and the release of the
// tree and the parser. The measured sides likewise include
// releasing everything they build (the cmark tree, the layer's tables and, for a full parse, the document).
long rawCmarkParseAndIterate(const std::string& text) {
    cmark_gfm_core_extensions_ensure_registered();
    cmark_parser* parser = cmark_parser_new(CMARK_OPT_SOURCEPOS | CMARK_OPT_SMART);
    for (const char* name : {"table", "strikethrough", "tasklist"}) {
        cmark_parser_attach_syntax_extension(parser, cmark_find_syntax_extension(name));
    }
    cmark_parser_feed(parser, text.data(), text.size());
    cmark_node* document = cmark_parser_finish(parser);
    long sum = 0;
    cmark_iter* iter = cmark_iter_new(document);
    while (cmark_iter_next(iter) != CMARK_EVENT_DONE) {
        cmark_node* node = cmark_iter_get_node(iter);
        sum += cmark_node_get_start_line(node) + cmark_node_get_end_column(node);
    }
    cmark_node_free(document);
    cmark_iter_free(iter);
    cmark_parser_free(parser);
    return sum;
}

long layerParseAndIterate(const std::string& text) {
    const CmarkDocument document = CmarkDocument::parse(text);
    long sum = 0;
    cmark_iter* iter = cmark_iter_new(document.root());
    while (cmark_iter_next(iter) != CMARK_EVENT_DONE) {
        cmark_node* node = cmark_iter_get_node(iter);
        const Markdown::CmarkCompat::NodePosition position = document.position(node);
        sum += position.startLine + position.endColumn + document.backtickCount(node) +
               static_cast<long>(CmarkDocument::typeString(node).size());
    }
    cmark_iter_free(iter);
    return sum;
}

std::string mixedDocument(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    const char* paragraphs[] = {
        "Some *emphasis*, **strong** text, `code`, ``code with ` tick`` and a [link](https://example.com "
        "\"t\").\n",
        "A line with ~~struck~~ words and ^[attributed text](rainbow: 'extreme') in it,\nand a lazy second "
        "line with \"quotes\" -- and dashes...\n",
        "> A quote with `code` and\ncontinued lazily, then *more*.\n",
    };
    std::string text;
    int n = 0;
    while (text.size() < size) {
        switch (random() % 7) {
        case 0:
            text += "## Heading " + std::to_string(++n) + " with `code`\n\n";
            break;
        case 1:
            text += "- item one\n- [x] done item\n- [ ] open item with `x`\n  1. nested\n  2. list\n\n";
            break;
        case 2:
            text += "| Name | Value | Note |\n|:-----|------:|:----:|\n| a | 1 | `x` |\n| b || y |\n| ^ | 3 "
                    "| z |\n\n";
            break;
        case 3:
            text += "```cpp\nint main() { return 0; }\n```\n\n";
            break;
        default:
            text += paragraphs[random() % 3];
            text += "\n";
            break;
        }
    }
    return text;
}

// Clipboard-like: copied code, shell output, a few Markdown bits and long unbroken lines.
std::string clipboardDocument(std::size_t size) {
    std::string text;
    int n = 0;
    while (text.size() < size) {
        ++n;
        text += "2026-12-10 13:0" + std::to_string(n % 10) + " INFO worker[" + std::to_string(n) +
                "]: processed item id=" + std::to_string(n * 7919) + " path=/var/lib/app/data_" +
                std::to_string(n) + ".json\n";
        if (n % 5 == 0) {
            text += "    if (value > 0 && *pointer != nullptr) { result = map[key] | flags; }\n";
        }
        if (n % 9 == 0) {
            text += "* copied bullet with a `snippet` and https://example.org/path?q=" + std::to_string(n) +
                    "\n\n";
        }
        if (n % 13 == 0) {
            text += std::string(300, 'x') + " " + std::string(200, '_') + "\n";
        }
    }
    return text;
}

// Runs the stock parse and `measured` on `text` in turns; reports both times and their ratio.
template <typename Measured>
void compareWithBaseline(benchmark::State& state, const std::string& text, Measured measured,
                         const char* name) {
    double rawSeconds = 0, measuredSeconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(rawCmarkParseAndIterate(text));
        const auto middle = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(measured(text));
        const auto end = std::chrono::steady_clock::now();
        rawSeconds += std::chrono::duration<double>(middle - start).count();
        measuredSeconds += std::chrono::duration<double>(end - middle).count();
    }
    const double iterations = static_cast<double>(state.iterations());
    state.counters["raw_ms"] = rawSeconds / iterations * 1e3;
    state.counters[std::string(name) + "_ms"] = measuredSeconds / iterations * 1e3;
    state.counters[std::string(name) + "_over_raw"] = measuredSeconds / rawSeconds;
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

void compareWithBaseline(benchmark::State& state, const std::string& text) {
    compareWithBaseline(state, text, layerParseAndIterate, "layer");
}

// The block-directive pre-parser alone: lines and containers, before any Markdown parsing.
std::size_t preParse(const std::string& text) {
    const Markdown::ParseContainerStack stack(
        Markdown::LazySplitLines(text).makeIterator(),
        Markdown::ParseOptions{Markdown::ParseOptions::parseBlockDirectives,
                               Markdown::ParseOptions::parseMinimalDoxygen});
    return stack.root().children().size();
}

const Markdown::ParseOptions kDirectivePath{Markdown::ParseOptions::parseBlockDirectives,
                                            Markdown::ParseOptions::parseMinimalDoxygen};

// The whole parse: cmark-gfm, the layer, the conversion into raw nodes, and the release of the tree.
std::int64_t fullParse(const std::string& text) {
    return Markdown::Document::parsing(text, {}).childCount();
}

std::int64_t fullParseWithDirectives(const std::string& text) {
    return Markdown::Document::parsing(text, kDirectivePath).childCount();
}

void BM_GfmExamplesText(benchmark::State& state) {
    static const std::string text = Markdown::Testing::loadGfmExamplesText();
    compareWithBaseline(state, text);
}
BENCHMARK(BM_GfmExamplesText)->Unit(benchmark::kMillisecond);

void BM_MixedDocument2MB(benchmark::State& state) {
    static const std::string text = mixedDocument(2 * 1024 * 1024, 42);
    compareWithBaseline(state, text);
}
BENCHMARK(BM_MixedDocument2MB)->Unit(benchmark::kMillisecond);

void BM_ClipboardDocument100KB(benchmark::State& state) {
    static const std::string text = clipboardDocument(100 * 1024);
    compareWithBaseline(state, text);
}
BENCHMARK(BM_ClipboardDocument100KB)->Unit(benchmark::kMillisecond);

void BM_FullParseGfmExamplesText(benchmark::State& state) {
    static const std::string text = Markdown::Testing::loadGfmExamplesText();
    compareWithBaseline(state, text, fullParse, "parse");
}
BENCHMARK(BM_FullParseGfmExamplesText)->Unit(benchmark::kMillisecond);

void BM_FullParseMixedDocument2MB(benchmark::State& state) {
    static const std::string text = mixedDocument(2 * 1024 * 1024, 42);
    compareWithBaseline(state, text, fullParse, "parse");
}
BENCHMARK(BM_FullParseMixedDocument2MB)->Unit(benchmark::kMillisecond);

void BM_FullParseClipboardDocument100KB(benchmark::State& state) {
    static const std::string text = clipboardDocument(100 * 1024);
    compareWithBaseline(state, text, fullParse, "parse");
}
BENCHMARK(BM_FullParseClipboardDocument100KB)->Unit(benchmark::kMillisecond);

// Directive-heavy text: the mixed document with every few blocks wrapped in nested directives.
std::string directiveDocument(std::size_t size) {
    const std::string body = mixedDocument(size / 2, 7);
    std::string text;
    std::size_t start = 0;
    int n = 0;
    while (start < body.size()) {
        std::size_t end = body.find("\n\n", start);
        end = end == std::string::npos ? body.size() : end + 2;
        const std::string_view block(body.data() + start, end - start);
        if (++n % 3 == 0) {
            text += "@Section(title: \"Part " + std::to_string(n) + "\", level: 2) {\n";
            std::size_t lineStart = 0;
            while (lineStart < block.size()) {
                std::size_t lineEnd = block.find('\n', lineStart);
                lineEnd = lineEnd == std::string_view::npos ? block.size() : lineEnd + 1;
                text += "    ";
                text += block.substr(lineStart, lineEnd - lineStart);
                lineStart = lineEnd;
            }
            text += "}\n\n";
        } else {
            text += block;
        }
        start = end;
    }
    return text;
}

void BM_PreParserOnDirectiveDocument(benchmark::State& state) {
    static const std::string text = directiveDocument(2 * 1024 * 1024);
    compareWithBaseline(state, text, preParse, "preparser");
}
BENCHMARK(BM_PreParserOnDirectiveDocument)->Unit(benchmark::kMillisecond);

void BM_DirectivePathOnDirectiveDocument(benchmark::State& state) {
    static const std::string text = directiveDocument(2 * 1024 * 1024);
    compareWithBaseline(state, text, fullParseWithDirectives, "directives");
}
BENCHMARK(BM_DirectivePathOnDirectiveDocument)->Unit(benchmark::kMillisecond);

void BM_DirectivePathGfmExamplesText(benchmark::State& state) {
    static const std::string text = Markdown::Testing::loadGfmExamplesText();
    compareWithBaseline(state, text, fullParseWithDirectives, "directives");
}
BENCHMARK(BM_DirectivePathGfmExamplesText)->Unit(benchmark::kMillisecond);

std::string wideHeaderTable(int columns, int rows) {
    std::string text = "|";
    for (int i = 0; i < columns; ++i) {
        text += "a|";
    }
    text += "\n|";
    for (int i = 0; i < columns; ++i) {
        text += "-|";
    }
    text += "\n";
    for (int i = 0; i < rows; ++i) {
        text += "x\n";
    }
    return text;
}

std::string manyWideRows() {
    std::string text = "|a|b|\n|-|-|\n";
    for (int i = 0; i < 300; ++i) {
        text += "|" + std::string(900, '|') + "\n";
    }
    return text;
}

std::string invalidUtf8() {
    std::string text;
    for (int i = 0; i < 100000; ++i) {
        text += static_cast<char>(0x80 + i % 64);
        text += i % 50 == 0 ? '\n' : 'a';
    }
    return text;
}

std::string unclosedAttributeOpeners() {
    std::string text;
    for (int i = 0; i < 30000; ++i) {
        text += "^[(";
    }
    return text + "\n";
}

void BM_HostileInputThroughTheLayer(benchmark::State& state, const std::string& text) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(layerParseAndIterate(text));
    }
    state.counters["input_kb"] = static_cast<double>(text.size()) / 1024;
}
BENCHMARK_CAPTURE(BM_HostileInputThroughTheLayer, nestedQuotes100k, std::string(100000, '>') + "\n")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_HostileInputThroughTheLayer, stars50k, std::string(50000, '*') + "\n")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_HostileInputThroughTheLayer, header2000Columns5000Rows, wideHeaderTable(2000, 5000))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_HostileInputThroughTheLayer, row20000Pipes,
                  "|a|\n|-|\n" + std::string(20000, '|') + "\n")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_HostileInputThroughTheLayer, header20000Pipes, std::string(20000, '|') + "\n|-|\n")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_HostileInputThroughTheLayer, rows900PipesEach, manyWideRows())
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_HostileInputThroughTheLayer, invalidUtf8, invalidUtf8())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_HostileInputThroughTheLayer, unclosedAttributeOpeners, unclosedAttributeOpeners())
    ->Unit(benchmark::kMillisecond);

std::string repeated(const std::string& piece, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += piece;
    }
    return text;
}

// The hostile inputs through the whole parse, on the plain path and the directive path.
void BM_HostileInputThroughTheParser(benchmark::State& state, const std::string& text) {
    const bool directives = state.range(0) != 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(directives ? fullParseWithDirectives(text) : fullParse(text));
    }
    state.counters["input_kb"] = static_cast<double>(text.size()) / 1024;
}
BENCHMARK_CAPTURE(BM_HostileInputThroughTheParser, nestedQuotes100k, std::string(100000, '>') + " x\n")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_HostileInputThroughTheParser, stars50k, std::string(50000, '*') + "\n")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_HostileInputThroughTheParser, header2000Columns5000Rows, wideHeaderTable(2000, 5000))
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_HostileInputThroughTheParser, row20000Pipes,
                  "|a|\n|-|\n" + std::string(20000, '|') + "\n")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_HostileInputThroughTheParser, invalidUtf8, invalidUtf8())
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_HostileInputThroughTheParser, unclosedDirectives,
                  repeated("@Open(a: \"b\n", 2000) + repeated("@Body {\n  text\n", 2000))
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_HostileInputThroughTheParser, nestedDirectives20k,
                  repeated("@d {\n", 20000) + "x\n" + repeated("}\n", 20000))
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
