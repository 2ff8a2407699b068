// Detection on large and adversarial clips, as a ratio to one plain pass over the same text
// (counting one character), measured in the same run.
//
//   build/bin/AnalysisDetectorsBenchmark
#include "Analysis/CodeDetector.h"
#include "Analysis/ContentClassifier.h"
#include "Analysis/MarkdownDetector.h"

#include <QRandomGenerator>

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

QString adversarialMarkdown() {
    QString text;
    text.reserve(1 << 20);
    QRandomGenerator generator(7);
    const QString alphabet = QStringLiteral("*_[](`!");
    for (int i = 0; i < (1 << 20); ++i)
        text.append(alphabet[generator.bounded(alphabet.size())]);
    return text;
}

QString proseMegabyte() {
    return QStringLiteral("Lorem ipsum dolor sit amet, consectetur adipiscing elit; sed do eiusmod.\n")
        .repeated(14000);
}

double onePass(const QString& text) {
    const auto start = Clock::now();
    benchmark::DoNotOptimize(text.count(u'*'));
    return std::chrono::duration<double>(Clock::now() - start).count();
}

template <typename Work> void measure(benchmark::State& state, const QString& text, Work work) {
    const double baseline = onePass(text);
    double total = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        benchmark::DoNotOptimize(work(text));
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(seconds);
        total += seconds;
    }
    state.counters["x_one_pass"] = total / static_cast<double>(state.iterations()) / baseline;
}

void BM_MarkdownAdversarial1MB(benchmark::State& state) {
    measure(state, adversarialMarkdown(),
            [](const QString& t) { return MarkdownDetector::looksLikeMarkdown(t); });
}
BENCHMARK(BM_MarkdownAdversarial1MB)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_MarkdownProse1MB(benchmark::State& state) {
    measure(state, proseMegabyte(), [](const QString& t) { return MarkdownDetector::looksLikeMarkdown(t); });
}
BENCHMARK(BM_MarkdownProse1MB)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_IsCodeProse1MB(benchmark::State& state) {
    measure(state, proseMegabyte(), [](const QString& t) { return CodeDetector::isCode(t, std::nullopt); });
}
BENCHMARK(BM_IsCodeProse1MB)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_TagsProse1MB(benchmark::State& state) {
    measure(state, proseMegabyte(), [](const QString& t) { return ContentClassifier::tags(t).size(); });
}
BENCHMARK(BM_TagsProse1MB)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
