// highlight(code, "cpp") and detection against the bare JavaScriptCore hljs call on the same
// input, engine creation against a bare context that loads the same script, and the memory one
// engine holds. Prints the ratios after the runs. The whole-call ratios compare two contexts whose
// script times drift apart on a loaded machine; BM_ConversionShare's counter, measured
// interleaved in one context, is the steadier figure for the conversion overhead.
#include <SyntaxHighlighter/HighlightOutput.h>
#include <SyntaxHighlighter/HighlightScript.h>
#include <SyntaxHighlighter/SyntaxHighlighter.h>
#include <SyntaxHighlighter/UTF.h>

#include <benchmark/benchmark.h>
#include <jsc/jsc.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <unistd.h>

using namespace SyntaxHighlighter;

namespace {

ResourceBundle bundle() {
    const char* resources = std::getenv("QS_RESOURCE_DIR");
    std::filesystem::path base =
        resources ? resources : std::filesystem::path(QS_TEST_BINARY_DIR) / "share/quillstack";
    auto found = ResourceBundle::at(base / ResourceBundle::kDirectoryName);
    if (!found) {
        std::fprintf(stderr, "no resource bundle under %s\n", base.c_str());
        std::exit(1);
    }
    return *found;
}

const std::string& script() {
    static const std::string text = *readFile(bundle().directory() / "highlight.min.js");
    return text;
}

// A C++ file of the given number of lines, with the characters that the script escapes.
std::string cppSource(int lines) {
    static const char* const block[] = {
        "#include <vector>",
        "#include \"widget.h\"",
        "",
        "namespace demo {",
        "",
        "template <typename T> struct Box {",
        "    T value{};",
        "    bool operator<(const Box& other) const { return value < other.value; }",
        "};",
        "",
        "// Sums the values that pass the filter & logs \"done\".",
        "int sum(const std::vector<int>& values, bool (*keep)(int)) {",
        "    int total = 0;",
        "    for (int v : values)",
        "        if (keep(v) && v > 0x10)",
        "            total += v * 2;",
        "    return total;",
        "}",
        "",
        "} // namespace demo",
    };
    std::string out;
    for (int i = 0; i < lines; ++i) {
        out += block[i % std::size(block)];
        out += '\n';
    }
    return out;
}

std::u16string toUtf16(const std::string& ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

struct BareContext {
    BareContext() {
        context = jsc_context_new();
        g_object_unref(jsc_context_evaluate(context, script().data(), static_cast<gssize>(script().size())));
        hljs = jsc_context_get_value(context, "hljs");
    }
    ~BareContext() {
        g_object_unref(hljs);
        g_object_unref(context);
    }

    // The script's own work: the call and reading its HTML.
    std::size_t highlight(const std::string& code, const char* language) {
        return html(code, language).size();
    }

    std::string html(const std::string& code, const char* language) {
        GBytes* bytes = g_bytes_new(code.data(), code.size());
        JSCValue* codeValue = jsc_value_new_string_from_bytes(context, bytes);
        JSCValue* result = language ? jsc_value_object_invoke_method(hljs, "highlight", G_TYPE_STRING,
                                                                     language, JSC_TYPE_VALUE, codeValue,
                                                                     G_TYPE_BOOLEAN, FALSE, G_TYPE_NONE)
                                    : jsc_value_object_invoke_method(hljs, "highlightAuto", JSC_TYPE_VALUE,
                                                                     codeValue, G_TYPE_NONE);
        JSCValue* value = jsc_value_object_get_property(result, "value");
        GBytes* html = jsc_value_to_string_as_bytes(value);
        gsize size = 0;
        const char* data = static_cast<const char*>(g_bytes_get_data(html, &size));
        std::string text(data, size);
        g_bytes_unref(html);
        g_object_unref(value);
        g_object_unref(result);
        g_object_unref(codeValue);
        g_bytes_unref(bytes);
        return text;
    }

    JSCContext* context;
    JSCValue* hljs;
};

void BM_BareHighlight(benchmark::State& state) {
    BareContext bare;
    std::string code = cppSource(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(bare.highlight(code, "cpp"));
}

void BM_EngineHighlight(benchmark::State& state) {
    auto engine = SyntaxHighlighter::SyntaxHighlighter::create(bundle());
    std::u16string code = toUtf16(cppSource(static_cast<int>(state.range(0))));
    for (auto _ : state)
        benchmark::DoNotOptimize(engine->highlight(code, "cpp", true));
}

// The conversion alone: the script's HTML to styled text in the current theme.
void BM_ConvertHTML(benchmark::State& state) {
    BareContext bare;
    std::string html = bare.html(cppSource(static_cast<int>(state.range(0))), "cpp");
    Theme theme(*readFile(bundle().directory() / "atom-one-dark.min.css"));
    for (auto _ : state)
        benchmark::DoNotOptimize(processHTMLString(utf8ToUtf16(html), theme));
}

// The engine's own steps, interleaved in one context so that load on the machine hits both alike:
// the script call (the named language, or detection for a second argument of 1), and the
// conversions around it (code to UTF-8, HTML to styled text).
void BM_ConversionShare(benchmark::State& state) {
    auto script = HighlightScript::load(::script());
    Theme theme(*readFile(bundle().directory() / "atom-one-dark.min.css"));
    std::u16string code = toUtf16(cppSource(static_cast<int>(state.range(0))));
    using Clock = std::chrono::steady_clock;
    Clock::duration scriptTime{};
    Clock::duration conversionTime{};
    for (auto _ : state) {
        auto start = Clock::now();
        std::string utf8 = utf16ToUtf8(code);
        auto called = Clock::now();
        auto output = state.range(1) ? script->highlightAuto(utf8) : script->highlight("cpp", utf8, false);
        auto returned = Clock::now();
        benchmark::DoNotOptimize(processHTMLString(utf8ToUtf16(output.html), theme));
        auto converted = Clock::now();
        scriptTime += returned - called;
        conversionTime += (called - start) + (converted - returned);
        state.SetIterationTime(std::chrono::duration<double>(converted - start).count());
    }
    state.counters["conversionShare"] =
        std::chrono::duration<double>(conversionTime) / std::chrono::duration<double>(scriptTime);
}

void BM_BareHighlightAuto(benchmark::State& state) {
    BareContext bare;
    std::string code = cppSource(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(bare.highlight(code, nullptr));
}

void BM_EngineHighlightAuto(benchmark::State& state) {
    auto engine = SyntaxHighlighter::SyntaxHighlighter::create(bundle());
    std::u16string code = toUtf16(cppSource(static_cast<int>(state.range(0))));
    for (auto _ : state)
        benchmark::DoNotOptimize(engine->highlight(code, std::nullopt, true));
}

void BM_BareContextCreation(benchmark::State& state) {
    for (auto _ : state) {
        BareContext bare;
        benchmark::DoNotOptimize(bare.hljs);
    }
}

void BM_EngineCreation(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(SyntaxHighlighter::SyntaxHighlighter::create(bundle()));
}

long residentBytes() {
    long pages = 0;
    long resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return resident * sysconf(_SC_PAGESIZE);
}

// Resident memory added by engines that have highlighted once, per engine.
void BM_EngineMemory(benchmark::State& state) {
    constexpr int kEngines = 8;
    std::u16string code = toUtf16(cppSource(200));
    for (auto _ : state) {
        std::vector<std::unique_ptr<SyntaxHighlighter::SyntaxHighlighter>> engines;
        long before = residentBytes();
        for (int i = 0; i < kEngines; ++i) {
            engines.push_back(SyntaxHighlighter::SyntaxHighlighter::create(bundle()));
            benchmark::DoNotOptimize(engines.back()->highlight(code, "cpp", true));
        }
        state.counters["bytesPerEngine"] = static_cast<double>(residentBytes() - before) / kEngines;
        state.counters["scriptBytes"] = static_cast<double>(script().size());
    }
}

BENCHMARK(BM_BareHighlight)->Arg(200)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EngineHighlight)->Arg(200)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvertHTML)->Arg(200)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConversionShare)
    ->ArgsProduct({{200, 2000}, {0, 1}})
    ->ArgNames({"lines", "detect"})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareHighlightAuto)->Arg(200)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EngineHighlightAuto)->Arg(200)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareContextCreation)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EngineCreation)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EngineMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

// Keeps each benchmark's time per iteration (the median when repetitions are asked for) so the
// ratios can be printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                medians[run.run_name.str()] = run.GetAdjustedRealTime();
            else if (run.run_type == Run::RT_Iteration)
                times[run.run_name.str()] = run.GetAdjustedRealTime();
        }
    }
    double time(const std::string& name) const {
        if (auto median = medians.find(name); median != medians.end())
            return median->second;
        auto single = times.find(name);
        return single == times.end() ? 0 : single->second;
    }

private:
    std::map<std::string, double> times;
    std::map<std::string, double> medians;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto ratio = [&](const std::string& measured, const std::string& baseline, const char* meaning) {
        double m = reporter.time(measured);
        double b = reporter.time(baseline);
        if (m <= 0 || b <= 0)
            return;
        std::printf("%-28s / %-26s = %.3f  %s\n", measured.c_str(), baseline.c_str(), m / b, meaning);
    };
    std::printf("\nRatios against the bare JavaScriptCore call in the same run:\n");
    for (const char* lines : {"200", "2000"}) {
        ratio(std::string("BM_EngineHighlight/") + lines, std::string("BM_BareHighlight/") + lines,
              "(whole call; aim <= 1.30)");
        ratio(std::string("BM_ConvertHTML/") + lines, std::string("BM_BareHighlight/") + lines,
              "(conversion alone as a share of the script's time; aim <= 0.30)");
        ratio(std::string("BM_EngineHighlightAuto/") + lines, std::string("BM_BareHighlightAuto/") + lines,
              "(whole call with detection; aim <= 1.30)");
    }
    ratio("BM_EngineCreation", "BM_BareContextCreation", "(engine creation against loading the script)");
    benchmark::Shutdown();
    return 0;
}
