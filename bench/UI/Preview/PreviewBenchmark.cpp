// The item previews' costs, each printed beside a baseline measured in the same run:
//  - the GUI thread's processor time to switch the pane to a new item of every kind (made, laid
//    out and painted once), a 5 MB code clip and a 20,000 × 20,000 PNG included, against the same
//    for a plain text view with one sentence; the work the pane hands to workers is waited for
//    outside the timing;
//  - the memory added while previewing the 20,000 × 20,000 PNG until its full picture is shown (peak
//    resident size), against previewing a 1280 × 800 PNG;
//  - the time from selecting a 6,000-character snippet to its highlighted text in the pane, against
//    the highlighting engine's own call on the same text.
//
//   build/bin/UIPreviewBenchmark
#include <Platform/Fakes/FakeWorkspace.h>
#include <Platform/UserDefaults.h>
#include <Storage/ImageStore.h>
#include <StorageTestSupport.h>
#include <UI/Preview/AsyncImagePreview.h>
#include <UI/Preview/CodeHighlighting.h>
#include <UI/Preview/CodePreview.h>
#include <UI/Preview/PreviewPane.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QVBoxLayout>

#include <benchmark/benchmark.h>

#include <ctime>
#include <functional>
#include <memory>

namespace {

double threadCpuNs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e9 + static_cast<double>(now.tv_nsec);
}

const QString kSnippetLines = QStringLiteral("template <typename T> T clamp(T value, T low, T high) {\n"
                                             "    if (value < low) return low; // below\n"
                                             "    return value > high ? high : value;\n"
                                             "}\n");

// Everything a pane needs, over a temporary image directory, and the pane's place in a window.
struct Bench {
    QTemporaryDir dir;
    std::unique_ptr<ImageStore> images;
    Platform::UserDefaults defaults;
    Platform::FakeWorkspace workspace;
    PreviewServices services;
    QWidget host;
    QVBoxLayout* layout = nullptr;

    Bench() {
        images = std::make_unique<ImageStore>(dir.filePath(QStringLiteral("Images")));
        services.images = images.get();
        services.workspace = &workspace;
        services.defaults = &defaults;
        services.appIcon = [](const QString&) {
            return QIcon();
        };
        layout = new QVBoxLayout(&host);
        layout->setContentsMargins(0, 0, 0, 0);
        host.resize(480, 400);
        host.show();
    }

    static ClipboardItemPtr text(ItemType type, QString content,
                                 std::optional<QString> language = std::nullopt) {
        NewClipboardItem item;
        item.type = type;
        item.plainText = std::move(content);
        item.detectedLanguage = std::move(language);
        item.contentTagsRaw =
            item.plainText->size() < 100000 ? ContentClassifier::tagsRaw(*item.plainText) : std::nullopt;
        return ClipboardItem::make(std::move(item));
    }

    ClipboardItemPtr picture(const QString& filename, std::optional<QString> ocr) {
        NewClipboardItem item;
        item.type = ItemType::image;
        item.imageFilename = filename;
        item.ocrText = std::move(ocr);
        return ClipboardItem::make(std::move(item));
    }

    // Shows `widget` in the pane's place and paints it once: the GUI thread's processor time for
    // that (on a busy machine its wall time also counts the waits for a processor).
    double showOnce(const std::function<QWidget*()>& make) {
        const double start = threadCpuNs();
        QWidget* widget = make();
        layout->addWidget(widget);
        widget->show();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        benchmark::DoNotOptimize(host.grab());
        const double ns = threadCpuNs() - start;
        // What the pane started elsewhere finishes outside the timing.
        waitForWorkers(*widget);
        delete widget;
        QCoreApplication::processEvents();
        return ns;
    }

    static void waitForWorkers(QWidget& widget) {
        for (auto* code : widget.findChildren<CodePreview*>())
            if (!code->isHighlighted())
                QSignalSpy(code, &CodePreview::highlightingSettled).wait(60000);
        if (auto* picture = widget.findChild<AsyncImagePreview*>())
            if (!picture->hasFullImage())
                QSignalSpy(picture, &AsyncImagePreview::fullImageLoaded).wait(120000);
        QThreadPool::globalInstance()->waitForDone();
        QCoreApplication::processEvents();
    }
};

// Made on first use, gone before the application object.
std::unique_ptr<Bench> benchInstance;

Bench& bench() {
    if (!benchInstance)
        benchInstance = std::make_unique<Bench>();
    return *benchInstance;
}

// The kinds the pane switches to, made once.
struct Kind {
    const char* name;
    ClipboardItemPtr item;
};

const std::vector<Kind>& kinds() {
    // Items only: they outlive the bench's widgets harmlessly.
    static const std::vector<Kind> all = [] {
        Bench& b = bench();
        QString bigCode;
        while (bigCode.size() < 5 * 1024 * 1024 / 2)
            bigCode += kSnippetLines;
        QString bigText;
        while (bigText.size() < 5 * 1024 * 1024 / 2)
            bigText +=
                QStringLiteral("Copied sentence from a long report about the quarter, with more words.\n");
        const QString small = QStringLiteral("SMALL.png");
        b.images->write(small, StorageTestSupport::pngBytes(QSize(1280, 800), QColor(70, 130, 200)));
        const QString huge = QStringLiteral("HUGE.png");
        StorageTestSupport::writeHugeGreyPng(b.images->path(huge), 20000, 20000);
        NewClipboardItem snippet;
        snippet.type = ItemType::snippet;
        snippet.snippetTitle = QStringLiteral("Sign-off");
        snippet.plainText = QStringLiteral("Kind regards,\nAnna");
        return std::vector<Kind>{
            {"text", Bench::text(ItemType::text, QStringLiteral("Lunch is at noon on Friday."))},
            {"text_5MB", Bench::text(ItemType::text, bigText)},
            {"markdown", Bench::text(ItemType::text, QStringLiteral("# Plan\n\n- write\n- ship\n"))},
            {"code", Bench::text(ItemType::code, kSnippetLines.repeated(8), QStringLiteral("cpp"))},
            {"code_5MB", Bench::text(ItemType::code, bigCode, QStringLiteral("cpp"))},
            {"image_1280x800", b.picture(small, QStringLiteral("Quarterly report"))},
            {"image_20000x20000", b.picture(huge, std::nullopt)},
            {"link", Bench::text(ItemType::url, QStringLiteral("https://www.debian.org/releases/bookworm/"))},
            {"color", Bench::text(ItemType::color, QStringLiteral("#3E8EDE"))},
            {"snippet", ClipboardItem::make(snippet)},
            {"json_with_actions",
             Bench::text(ItemType::code,
                         QStringLiteral("{\"name\": \"quillstack\", \"mail\": \"a@example.com\"}"),
                         QStringLiteral("json"))},
        };
    }();
    return all;
}

// A plain text view with one sentence, shown and painted in the pane's place.
double plainViewNs() {
    static const double ns = [] {
        double total = 0;
        for (int i = 0; i < 20; ++i)
            total += bench().showOnce([] {
                auto* view = new QPlainTextEdit;
                view->setPlainText(QStringLiteral("Lunch is at noon on Friday."));
                return view;
            });
        return total / 20;
    }();
    return ns;
}

void BM_SwitchPane(benchmark::State& state) {
    const Kind& kind = kinds()[static_cast<std::size_t>(state.range(0))];
    state.SetLabel(kind.name);
    const double baseline = plainViewNs();
    Bench& b = bench();
    double total = 0;
    double worst = 0;
    for (auto _ : state) {
        // Cold each time: nothing of the picture is cached yet, as right after a capture.
        b.images->thumbnailCache().clear();
        b.images->fullImageCache().clear();
        const double ns = b.showOnce([&] {
            return new PreviewPane(
                kind.item, [](const QString&) {}, [] {}, b.services);
        });
        state.SetIterationTime(ns / 1e9);
        total += ns;
        worst = std::max(worst, ns);
    }
    const double mean = total / static_cast<double>(state.iterations());
    state.counters["switch_ms"] = mean / 1e6;
    state.counters["worst_switch_ms"] = worst / 1e6;
    state.counters["plain_view_ms"] = baseline / 1e6;
    state.counters["ratio_switch_to_plain_view"] = mean / baseline;
}

// Resident and peak resident memory of this process, in bytes.
qint64 statusBytes(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(static_cast<int>(qstrlen(field))).trimmed().split(' ').value(0).toLongLong() *
                   1024;
    }
    return 0;
}

// The peak memory added while a picture's pane is shown until its full picture is there.
double peakAddedBytes(const ClipboardItemPtr& item) {
    Bench& b = bench();
    b.images->thumbnailCache().clear();
    b.images->fullImageCache().clear();
    QCoreApplication::processEvents();
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
    clear.close();
    const qint64 before = statusBytes("VmRSS:");
    b.showOnce([&] {
        return new PreviewPane(
            item, [](const QString&) {}, [] {}, b.services);
    });
    return static_cast<double>(statusBytes("VmHWM:") - before);
}

void BM_PreviewMemory(benchmark::State& state) {
    const ClipboardItemPtr small = kinds()[5].item;
    const ClipboardItemPtr huge = kinds()[6].item;
    double added = 0;
    double baseline = 0;
    for (auto _ : state) {
        baseline = peakAddedBytes(small);
        added = peakAddedBytes(huge);
    }
    state.counters["huge_png_added_MB"] = added / (1024.0 * 1024.0);
    state.counters["small_png_added_MB"] = baseline / (1024.0 * 1024.0);
    state.counters["ratio_huge_to_small"] = added / std::max(1.0, baseline);
}

void BM_SelectionToHighlight(benchmark::State& state) {
    QString snippet;
    while (snippet.size() < 6000)
        snippet += kSnippetLines;
    snippet.truncate(6000);
    Bench& b = bench();

    // The engine's own call on this thread, warm: the baseline.
    double engineNs = 0;
    {
        auto engine = CodeHighlighting::makeDefaultEngine();
        engine->setTheme(CodeHighlighting::kLightTheme);
        const std::u16string text = snippet.toStdU16String();
        // As warm as the preview's engine gets over the runs below.
        for (int i = 0; i < 10; ++i)
            engine->highlight(text, "cpp");
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < 10; ++i)
            benchmark::DoNotOptimize(engine->highlight(text, "cpp"));
        engineNs = static_cast<double>(timer.nsecsElapsed()) / 10;
    }

    auto select = [&](CodeHighlighting& service) {
        QElapsedTimer timer;
        timer.start();
        auto* preview = new CodePreview(snippet, QStringLiteral("cpp"), &b.defaults, &b.host, &service);
        b.layout->addWidget(preview);
        preview->show();
        QSignalSpy(preview, &CodePreview::highlightingSettled).wait(60000);
        const double ns = static_cast<double>(timer.nsecsElapsed());
        delete preview;
        return ns;
    };
    // The first selection in a process also starts the engine.
    CodeHighlighting cold(&CodeHighlighting::makeDefaultEngine);
    const double firstNs = select(cold);
    double total = 0;
    for (auto _ : state) {
        const double ns = select(cold);
        state.SetIterationTime(ns / 1e9);
        total += ns;
    }
    const double mean = total / static_cast<double>(state.iterations());
    state.counters["selection_to_highlight_ms"] = mean / 1e6;
    state.counters["first_selection_ms"] = firstNs / 1e6;
    state.counters["engine_call_ms"] = engineNs / 1e6;
    state.counters["ratio_selection_to_engine_call"] = mean / engineNs;
}

} // namespace

// Memory first, before other runs leave freed pages resident.
BENCHMARK(BM_PreviewMemory)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_SwitchPane)->DenseRange(0, 10)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SelectionToHighlight)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    benchInstance.reset();
    return 0;
}
