// Costs of the Markdown document model, each reported as a ratio against a baseline measured in the same run:
// building, walking and releasing a tree of about a million nodes against a plain heap tree of the same
// shape; one edit deep inside that tree against the same edit in a tiny tree of equal depth (size
// independence); heap allocations per node while building; removing the soft breaks of a wide paragraph,
// per child, against a paragraph an eighth as wide (width independence).
#include <Markdown/Markdown.h>

#include <benchmark/benchmark.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

std::atomic<std::int64_t> allocationCount{0};

} // namespace

[[gnu::noinline]] void* operator new(std::size_t size) {
    allocationCount.fetch_add(1, std::memory_order_relaxed);
    if (void* memory = std::malloc(size == 0 ? 1 : size)) {
        return memory;
    }
    throw std::bad_alloc();
}
[[gnu::noinline]] void operator delete(void* memory) noexcept {
    std::free(memory);
}
[[gnu::noinline]] void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}

namespace {

using namespace Markdown;
using Clock = std::chrono::steady_clock;

constexpr int branching = 10;
constexpr int depth = 6; // 1 + 10 + ... + 10^6 = 1,111,111 nodes

// A balanced tree of block quotes whose leaves are short texts.
RawMarkupRef balancedTree(int levelsLeft) {
    if (levelsLeft == 0) {
        return RawMarkup::create(RawMarkupData::text("leaf"), std::nullopt, {});
    }
    // A fixed array, so that the only heap allocations counted are the nodes themselves.
    std::array<RawMarkupRef, branching> children;
    for (RawMarkupRef& child : children) {
        child = balancedTree(levelsLeft - 1);
    }
    return RawMarkup::create(
        RawMarkupData::withoutPayload(levelsLeft == depth ? RawKind::document : RawKind::blockQuote),
        std::nullopt, children);
}

// The same depth and branching along one path only: a few dozen nodes.
RawMarkupRef spineTree(int levelsLeft) {
    if (levelsLeft == 0) {
        return RawMarkup::create(RawMarkupData::text("leaf"), std::nullopt, {});
    }
    std::vector<RawMarkupRef> children{spineTree(levelsLeft - 1)};
    for (int i = 1; i < branching; ++i) {
        children.push_back(RawMarkup::create(RawMarkupData::text("leaf"), std::nullopt, {}));
    }
    return RawMarkup::create(
        RawMarkupData::withoutPayload(levelsLeft == depth ? RawKind::document : RawKind::blockQuote),
        std::nullopt, children);
}

// The baseline: an ordinary heap tree with a string and a vector of owned children per node.
struct PlainNode {
    std::string text;
    std::vector<std::unique_ptr<PlainNode>> children;
};

std::unique_ptr<PlainNode> plainTree(int levelsLeft) {
    auto node = std::make_unique<PlainNode>();
    node->text = "leaf";
    if (levelsLeft > 0) {
        node->children.reserve(branching);
        for (int i = 0; i < branching; ++i) {
            node->children.push_back(plainTree(levelsLeft - 1));
        }
    }
    return node;
}

std::int64_t walkPlain(const PlainNode& node) {
    std::int64_t count = 1;
    for (const auto& child : node.children) {
        count += walkPlain(*child);
    }
    return count;
}

struct NodeCounter : MarkupWalker<NodeCounter> {
    std::int64_t count = 0;
    void defaultVisit(const Markup& markup) {
        ++count;
        descendInto(markup);
    }
};

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void BuildWalkReleaseMillionNodes(benchmark::State& state) {
    double modelBuild = 0, modelWalk = 0, modelRelease = 0, plainBuild = 0, plainWalk = 0, plainRelease = 0;
    std::int64_t nodes = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        std::unique_ptr<PlainNode> plain = plainTree(depth);
        plainBuild += millisecondsSince(start);
        start = Clock::now();
        benchmark::DoNotOptimize(walkPlain(*plain));
        plainWalk += millisecondsSince(start);
        start = Clock::now();
        plain.reset();
        plainRelease += millisecondsSince(start);

        start = Clock::now();
        std::optional<Document> document(Document(MarkupData::newRoot(balancedTree(depth))));
        modelBuild += millisecondsSince(start);
        start = Clock::now();
        NodeCounter counter;
        counter.visit(*document);
        nodes = counter.count;
        modelWalk += millisecondsSince(start);
        start = Clock::now();
        document.reset();
        modelRelease += millisecondsSince(start);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["nodes"] = static_cast<double>(nodes);
    state.counters["build_ms"] = modelBuild / n;
    state.counters["walk_ms"] = modelWalk / n;
    state.counters["release_ms"] = modelRelease / n;
    state.counters["build_vs_plain"] = modelBuild / plainBuild;
    state.counters["walk_vs_plain"] = modelWalk / plainWalk;
    state.counters["release_vs_plain"] = modelRelease / plainRelease;
}
BENCHMARK(BuildWalkReleaseMillionNodes)->Unit(benchmark::kMillisecond)->Iterations(3);

// Edits the leaf at the end of the first-child path, `depth` levels down.
double editDeepLeaf(const Document& document, int repetitions) {
    const auto start = Clock::now();
    for (int i = 0; i < repetitions; ++i) {
        Markup leaf = document;
        for (int level = 0; level < depth; ++level) {
            leaf = *leaf.child(0);
        }
        Text text = *leaf.as<Text>();
        text.setString("edited");
        benchmark::DoNotOptimize(text);
    }
    return millisecondsSince(start);
}

void DeepEditInMillionNodeTree(benchmark::State& state) {
    const Document large(MarkupData::newRoot(balancedTree(depth)));
    const Document small(MarkupData::newRoot(spineTree(depth)));
    double largeTime = 0, smallTime = 0;
    constexpr int repetitions = 2000;
    for (auto _ : state) {
        largeTime += editDeepLeaf(large, repetitions);
        smallTime += editDeepLeaf(small, repetitions);
    }
    state.counters["large_tree_nodes"] = static_cast<double>(large.data().node().subtreeCount());
    state.counters["small_tree_nodes"] = static_cast<double>(small.data().node().subtreeCount());
    state.counters["edit_us"] = largeTime * 1000.0 / (static_cast<double>(state.iterations()) * repetitions);
    state.counters["large_vs_small_tree"] = largeTime / smallTime;
}
BENCHMARK(DeepEditInMillionNodeTree)->Unit(benchmark::kMillisecond)->Iterations(5);

// A document of one paragraph: `width` texts, each followed by a soft break.
Document wideParagraph(int width) {
    std::vector<RawMarkupRef> children;
    for (int i = 0; i < width; ++i) {
        children.push_back(RawMarkup::create(RawMarkupData::text("word"), std::nullopt, {}));
        children.push_back(
            RawMarkup::create(RawMarkupData::withoutPayload(RawKind::softBreak), std::nullopt, {}));
    }
    RawMarkupRef paragraph =
        RawMarkup::create(RawMarkupData::withoutPayload(RawKind::paragraph), std::nullopt, children);
    return Document(MarkupData::newRoot(
        RawMarkup::create(RawMarkupData::withoutPayload(RawKind::document), std::nullopt, {paragraph})));
}

double microsecondsPerChildWithoutSoftBreaks(const Document& document) {
    const auto start = Clock::now();
    benchmark::DoNotOptimize(document.withoutSoftBreaks());
    return millisecondsSince(start) * 1000.0 / static_cast<double>(document.child(0)->childCount());
}

void WithoutSoftBreaksOnWideParagraph(benchmark::State& state) {
    constexpr int narrow = 5000;
    const Document small = wideParagraph(narrow);
    const Document large = wideParagraph(8 * narrow);
    double smallPerChild = 0, largePerChild = 0;
    for (auto _ : state) {
        smallPerChild += microsecondsPerChildWithoutSoftBreaks(small);
        largePerChild += microsecondsPerChildWithoutSoftBreaks(large);
    }
    state.counters["children"] = static_cast<double>(large.child(0)->childCount());
    state.counters["us_per_child"] = largePerChild / static_cast<double>(state.iterations());
    state.counters["per_child_wide_vs_narrow"] = largePerChild / smallPerChild;
}
BENCHMARK(WithoutSoftBreaksOnWideParagraph)->Unit(benchmark::kMillisecond)->Iterations(3);

void AllocationsPerNode(benchmark::State& state) {
    double modelPerNode = 0, plainPerNode = 0;
    for (auto _ : state) {
        std::int64_t before = allocationCount.load();
        RawMarkupRef tree = balancedTree(depth);
        const std::int64_t nodes = tree->subtreeCount();
        modelPerNode = static_cast<double>(allocationCount.load() - before) / static_cast<double>(nodes);
        before = allocationCount.load();
        std::unique_ptr<PlainNode> plain = plainTree(depth);
        plainPerNode = static_cast<double>(allocationCount.load() - before) / static_cast<double>(nodes);
    }
    state.counters["model_allocations_per_node"] = modelPerNode;
    state.counters["plain_allocations_per_node"] = plainPerNode;
    state.counters["model_vs_plain"] = modelPerNode / plainPerNode;
}
BENCHMARK(AllocationsPerNode)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
