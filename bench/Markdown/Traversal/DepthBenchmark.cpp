// Deep and wide documents against a flat one of the same size, each measured in the same run: parsed,
// walked, rewritten, printed as Markdown, rendered as HTML and dumped. Per shape and operation two ratios:
// `<op>_vs_flat`, the time against the flat document's of the same byte size, and `<op>_growth`, the time
// at twice the size against the time at the size (2 is linear). A chain of quotes built in code, far past
// what the parser nests, is walked, rewritten and rendered against a flat tree of as many nodes; its levels
// run mostly on the traversal's helper stack, whose pages past the part kept between walks are touched
// anew by each walk, so both chains are well past that part. Times are the process's CPU time, helper
// threads included, so that other load on the machine moves them less.
#include <Markdown/Markdown.h>

#include <benchmark/benchmark.h>

#include <cstddef>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace Markdown;

// The CPU time of every thread of the process.
struct Clock {
    using time_point = double;
    static time_point now() {
        timespec time{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &time);
        return static_cast<double>(time.tv_sec) * 1e3 + static_cast<double>(time.tv_nsec) / 1e6;
    }
};

constexpr std::size_t kBytes = 100 * 1024;
const ParseOptions kDirectives{ParseOptions::parseBlockDirectives, ParseOptions::parseMinimalDoxygen};

double millisecondsSince(Clock::time_point start) {
    return Clock::now() - start;
}

std::string repeated(std::string_view piece, std::size_t count) {
    std::string text;
    text.reserve(piece.size() * count);
    for (std::size_t i = 0; i < count; ++i) {
        text += piece;
    }
    return text;
}

// `block` repeated up to `bytes`.
std::string filled(const std::string& block, std::size_t bytes) {
    return repeated(block, (bytes + block.size() - 1) / block.size());
}

std::string flat(std::size_t bytes) {
    return filled("Some words of a paragraph, with a *little* emphasis and `code`.\n\n", bytes);
}
std::string nestedQuotes(std::size_t bytes) {
    return filled(repeated("> ", 300) + "x\n\n", bytes);
}
std::string nestedLists(std::size_t bytes) {
    return filled(repeated("- ", 300) + "x\n\n", bytes);
}
std::string nestedDirectives(std::size_t bytes) {
    return filled(repeated("@d {\n", 300) + "x\n" + repeated("}\n", 300) + "\n", bytes);
}
std::string wideParagraph(std::size_t bytes) {
    return filled("w\n", bytes);
}
std::string wideList(std::size_t bytes) {
    return filled("- x\n", bytes);
}
std::string wideTable(std::size_t bytes) {
    return "| a | b | c | d |\n|---|---|---|---|\n" + filled("| 1 | 2 | 3 | 4 |\n", bytes);
}

struct NodeCounter : MarkupWalker<NodeCounter> {
    std::int64_t count = 0;
    void defaultVisit(const Markup& markup) {
        ++count;
        descendInto(markup);
    }
};

struct IdentityRewriter : MarkupRewriter<IdentityRewriter> {};

enum Operation { parse, walk, rewrite, print, html, dump, operationCount };
constexpr const char* operationNames[operationCount] = {"parse", "walk", "rewrite", "print", "html", "dump"};

struct Timings {
    double milliseconds[operationCount] = {};
    std::int64_t nodes = 0;
};

void measure(const std::string& text, ParseOptions options, Timings& timings) {
    auto start = Clock::now();
    const Document document = Document::parsing(text, options);
    timings.milliseconds[parse] += millisecondsSince(start);

    start = Clock::now();
    NodeCounter counter;
    counter.visit(document);
    timings.milliseconds[walk] += millisecondsSince(start);
    timings.nodes = counter.count;

    start = Clock::now();
    IdentityRewriter rewriter;
    benchmark::DoNotOptimize(rewriter.visit(document));
    timings.milliseconds[rewrite] += millisecondsSince(start);

    start = Clock::now();
    benchmark::DoNotOptimize(document.format(MarkupFormatterOptions::defaultOptions()));
    timings.milliseconds[print] += millisecondsSince(start);

    start = Clock::now();
    benchmark::DoNotOptimize(HTMLFormatter::format(document));
    timings.milliseconds[html] += millisecondsSince(start);

    start = Clock::now();
    benchmark::DoNotOptimize(document.debugDescription());
    timings.milliseconds[dump] += millisecondsSince(start);
}

void ShapeAgainstFlat(benchmark::State& state, std::string (*make)(std::size_t), ParseOptions options) {
    const std::string flatText = flat(kBytes);
    const std::string text = make(kBytes);
    const std::string doubled = make(2 * kBytes);
    Timings flatTimings, timings, doubledTimings;
    // One unmeasured round first, so that no measured one pays for first use of memory.
    for (const std::string* warmUp : {&flatText, &text, &doubled}) {
        Timings ignored;
        measure(*warmUp, options, ignored);
    }
    for (auto _ : state) {
        measure(flatText, options, flatTimings);
        measure(text, options, timings);
        measure(doubled, options, doubledTimings);
    }
    state.counters["nodes"] = static_cast<double>(timings.nodes);
    state.counters["flat_nodes"] = static_cast<double>(flatTimings.nodes);
    for (int op = 0; op < operationCount; ++op) {
        const std::string name = operationNames[op];
        state.counters[name + "_ms"] = timings.milliseconds[op] / static_cast<double>(state.iterations());
        state.counters[name + "_vs_flat"] = timings.milliseconds[op] / flatTimings.milliseconds[op];
        state.counters[name + "_growth"] = doubledTimings.milliseconds[op] / timings.milliseconds[op];
    }
}
struct Shape {
    const char* name;
    std::string (*make)(std::size_t);
    ParseOptions options;
};

const bool shapesRegistered = [] {
    const Shape shapes[] = {{"nestedQuotes", nestedQuotes, {}},
                            {"nestedLists", nestedLists, {}},
                            {"nestedDirectives", nestedDirectives, kDirectives},
                            {"wideParagraph", wideParagraph, {}},
                            {"wideList", wideList, {}},
                            {"wideTable", wideTable, {}}};
    for (const Shape& shape : shapes) {
        benchmark::RegisterBenchmark(
            (std::string("ShapeAgainstFlat/") + shape.name).c_str(),
            [shape](benchmark::State& state) { ShapeAgainstFlat(state, shape.make, shape.options); })
            ->Unit(benchmark::kMillisecond)
            ->Iterations(5);
    }
    return true;
}();

Document quoteChain(std::int64_t nodes) {
    RawMarkupRef node = RawMarkup::create(RawMarkupData::text("x"), std::nullopt, {});
    for (std::int64_t i = 2; i < nodes; ++i) {
        node = RawMarkup::create(RawMarkupData::withoutPayload(RawKind::blockQuote), std::nullopt, {node});
    }
    return Document(MarkupData::newRoot(
        RawMarkup::create(RawMarkupData::withoutPayload(RawKind::document), std::nullopt, {node})));
}

Document flatTree(std::int64_t nodes) {
    std::vector<RawMarkupRef> paragraphs;
    for (std::int64_t i = 1; i + 1 < nodes; i += 2) {
        paragraphs.push_back(
            RawMarkup::create(RawMarkupData::withoutPayload(RawKind::paragraph), std::nullopt,
                              {RawMarkup::create(RawMarkupData::text("x"), std::nullopt, {})}));
    }
    return Document(MarkupData::newRoot(
        RawMarkup::create(RawMarkupData::withoutPayload(RawKind::document), std::nullopt, paragraphs)));
}

// Printing and dumping are left out: both write each level on a line of its own, indented by its depth.
void traverse(const Document& document, double (&milliseconds)[operationCount]) {
    auto start = Clock::now();
    NodeCounter counter;
    counter.visit(document);
    milliseconds[walk] += millisecondsSince(start);

    start = Clock::now();
    IdentityRewriter rewriter;
    benchmark::DoNotOptimize(rewriter.visit(document));
    milliseconds[rewrite] += millisecondsSince(start);

    start = Clock::now();
    benchmark::DoNotOptimize(HTMLFormatter::format(document));
    milliseconds[html] += millisecondsSince(start);
}

void QuoteChainBeyondTheCaps(benchmark::State& state) {
    constexpr std::int64_t nodes = 200000;
    const Document chain = quoteChain(nodes);
    const Document doubledChain = quoteChain(2 * nodes);
    const Document flatDocument = flatTree(nodes);
    double flatTimes[operationCount] = {}, chainTimes[operationCount] = {}, doubledTimes[operationCount] = {};
    for (const Document* warmUp : {&flatDocument, &chain, &doubledChain}) {
        double ignored[operationCount] = {};
        traverse(*warmUp, ignored);
    }
    for (auto _ : state) {
        traverse(flatDocument, flatTimes);
        traverse(chain, chainTimes);
        traverse(doubledChain, doubledTimes);
    }
    state.counters["nodes"] = static_cast<double>(nodes);
    for (Operation op : {walk, rewrite, html}) {
        const std::string name = operationNames[op];
        state.counters[name + "_vs_flat"] = chainTimes[op] / flatTimes[op];
        state.counters[name + "_growth"] = doubledTimes[op] / chainTimes[op];
    }
}
BENCHMARK(QuoteChainBeyondTheCaps)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

BENCHMARK_MAIN();
